// The acceleration of both comparison sets of the worked examples, the sweep over every main
// pair for both, and how soon a sweep stops when asked, each against a floor measured in the
// same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <stop_token>
#include <thread>
#include <vector>

#include "acceleration_examples.h"
#include "dynamics/pairsweep.h"
#include "ratio_reporter.h"

using namespace kelm;

namespace {

// Both sets with rule "best", as the window computes them.
std::vector<AccelerationInput> BothSets() {
    AccelerationInput a = testing::ExampleA();
    a.shift = ShiftRule::Best;
    return {a, testing::ExampleB(ShiftRule::Best)};
}

// The floor: the least the same work needs.  The same equations integrated by the same method
// at the same step over the same span of time, but naively: the torque looked up at every
// evaluation, the gear changed at n_lim without a shift, no marks, no events, nothing solved.
double NaiveRun(const AccelerationInput& in, double seconds) {
    const Car& c = in.car;
    const double grip = c.Grip * c.Driven * c.Mass * 9.81, c0 = c.Rolling * c.Mass * 9.81;
    const double c2 = 0.5 * 1.225 * c.Cx * c.Area, radius = in.perimeter / (2000 * 3.14159265);
    const double limit = std::min(in.maxRpm, in.engine.LastSpeed());
    std::size_t k = 0;
    auto accel = [&](double v) {
        const double u = in.gears[k], n = 60000 * v * u * in.mainPair / in.perimeter;
        const double drive = in.engine.TorqueAt(k == 0 ? std::max(n, in.launch) : n) * u *
                             in.mainPair * c.Efficiency / radius;
        return (std::min(drive, grip) - c0 - c2 * v * v) /
               ((1 + c.DeltaWheels + c.DeltaEngine * u * u) * c.Mass);
    };
    const double h = AccelerationOptions{}.step;
    double v = 0, x = 0;
    for (double t = 0; t < seconds; t += h) {
        if (k + 1 < in.gears.size() &&
            60000 * v * in.gears[k] * in.mainPair / in.perimeter >= limit)
            ++k;
        const double k1 = accel(v), k2 = accel(v + h / 2 * k1), k3 = accel(v + h / 2 * k2);
        const double k4 = accel(v + h * k3);
        x += h * (v + h / 6 * (k1 + k2 + k3));
        v += h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
    }
    return v + x;
}

// The simulated seconds of a full run (from rest, and the 80-120 in top gear).
double FullSeconds(const AccelerationInput& in) {
    const AccelerationResult r = RunAcceleration(in);
    return r.duration + r.from80to120.value_or(0);
}

void BM_AccelerationBothSets(benchmark::State& state) {
    const std::vector<AccelerationInput> sets = BothSets();
    for (auto _ : state) {
        for (const AccelerationInput& in : sets) benchmark::DoNotOptimize(RunAcceleration(in));
    }
}

void BM_AccelerationFloor_NaiveRk4(benchmark::State& state) {
    const std::vector<AccelerationInput> sets = BothSets();
    std::vector<double> seconds;
    for (const AccelerationInput& in : sets) seconds.push_back(FullSeconds(in));
    for (auto _ : state) {
        for (std::size_t i = 0; i < sets.size(); ++i)
            benchmark::DoNotOptimize(NaiveRun(sets[i], seconds[i]));
    }
}

void BM_PairSweepBothSets(benchmark::State& state) {
    const std::vector<AccelerationInput> sets = BothSets();
    for (auto _ : state) {
        for (const AccelerationInput& in : sets)
            benchmark::DoNotOptimize(SweepMainPairs(in, 2.5, 6.0));
    }
}

// The same naive integration over the seconds all 702 runs of the sweep simulate.
void BM_PairSweepFloor_NaiveRk4(benchmark::State& state) {
    std::vector<std::pair<AccelerationInput, double>> runs;
    for (AccelerationInput in : BothSets()) {
        for (std::size_t i = 0; i < 351; ++i) {
            in.mainPair = SweptPair(2.5, i);
            runs.emplace_back(
                in,
                RunAcceleration(in, {AccelerationOptions{}.step, RunExtent::PairSweep}).duration);
        }
    }
    for (auto _ : state) {
        for (const auto& [in, seconds] : runs) benchmark::DoNotOptimize(NaiveRun(in, seconds));
    }
}

// Requests the stop and takes the time until the thread has returned as the iteration's.
void TimeStop(benchmark::State& state, std::stop_source& stop, std::jthread& thread) {
    const auto start = std::chrono::steady_clock::now();
    stop.request_stop();
    thread.join();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

// A sweep of set A on its own thread, stopped once half its pairs are done: the time from the
// request to its return.
void BM_PairSweepStopped(benchmark::State& state) {
    const AccelerationInput in = BothSets()[0];
    for (auto _ : state) {
        std::stop_source stop;
        std::atomic<bool> half{false};
        std::jthread sweep([&] {
            SweepMainPairs(in, 2.5, 6.0, stop.get_token(), [&](std::size_t done, std::size_t all) {
                if (done == all / 2) {
                    half = true;
                    half.notify_one();
                }
            });
        });
        half.wait(false);
        TimeStop(state, stop, sweep);
    }
}

// Its floor: a thread that does nothing but wait for the request, stopped and joined.
void BM_StopFloor_IdleThread(benchmark::State& state) {
    for (auto _ : state) {
        std::stop_source stop;
        std::atomic<bool> started{false};
        std::jthread idle([&] {
            started = true;
            started.notify_one();
            while (!stop.stop_requested()) std::this_thread::yield();
        });
        started.wait(false);
        TimeStop(state, stop, idle);
    }
}

}  // namespace

BENCHMARK(BM_AccelerationBothSets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AccelerationFloor_NaiveRk4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairSweepBothSets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairSweepFloor_NaiveRk4)->Unit(benchmark::kMillisecond);
// Counted, not timed to a total: each iteration runs half a sweep that is not measured.
BENCHMARK(BM_PairSweepStopped)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StopFloor_IdleThread)
    ->UseManualTime()
    ->Iterations(2000)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter(
        {
            {"BM_AccelerationBothSets_median", "BM_AccelerationFloor_NaiveRk4_median", "<= 1.5",
             1.5},
            {"BM_PairSweepBothSets_median", "BM_PairSweepFloor_NaiveRk4_median", "<= 1.5", 1.5},
            {"BM_PairSweepStopped/iterations:200_median",
             "BM_StopFloor_IdleThread/iterations:2000_median", "report", 0},
        },
        {
            {"BM_AccelerationBothSets_median", 2},
            {"BM_PairSweepBothSets_median", 300},
            // A stopped sweep returns within about one run.
            {"BM_PairSweepStopped/iterations:200_median", 1},
        });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return reporter.PrintRatios(std::cout) ? 0 : 1;
}
