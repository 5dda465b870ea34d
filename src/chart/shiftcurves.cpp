#include "chart/shiftcurves.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "base/errors.h"

namespace kelm {

static_assert(std::numeric_limits<long double>::digits == 64,
              "the shift curves need long double with a 64-bit significand (x86 extended)");

long double ExtendedK() {
    // Sign and exponent 0x3FF0, significand 0xFBA8826AA8EB4635: the extended value
    // nearest to 6e-5, built from its bits so no compiler rounding can change it.
    const std::uint64_t significand = 0xFBA8826AA8EB4635ULL;
    const std::uint16_t signExponent = 0x3FF0;
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &significand, sizeof significand);
    std::memcpy(bytes + sizeof significand, &signExponent, sizeof signExponent);
    long double k;
    std::memcpy(&k, bytes, sizeof k);
    return k;
}

namespace {

// Division with the checks the floating-point unit would make: x/0 and 0/0.
long double Divide(long double a, long double b) {
    if (b == 0) {
        if (a == 0 || std::isnan(a)) throw FloatInvalidOpError();
        throw FloatDivByZeroError();
    }
    return a / b;
}

// Rounds an extended result to the double it is stored as.
double Store(long double v) {
    if (std::isnan(v)) throw FloatInvalidOpError();
    const double d = static_cast<double>(v);
    if (std::isinf(d)) throw FloatOverflowError();
    return d;
}

}  // namespace

double EngineSpeedAt(double roadSpeed, std::int32_t perimeter, double total) {
    const long double P = perimeter;
    return Store(Divide(roadSpeed, P * ExtendedK()) * total);
}

ShiftGears ComputeShiftGears(std::int32_t maxRpm, const std::array<double, 6>& ratios,
                             double mainPair, std::int32_t perimeter) {
    ShiftGears out;
    try {
        const long double K = ExtendedK();
        const long double n = maxRpm;
        const long double P = perimeter;

        double total = Store(static_cast<long double>(mainPair) * ratios[0]);
        double v = Store((Divide(n, total) * P) * K);
        out.gears.push_back(ShiftGear{1, ratios[0], total, 0, std::nullopt, v});

        for (int g = 2; g <= 6; ++g) {
            const double ratio = ratios[static_cast<std::size_t>(g) - 1];
            total = Store(static_cast<long double>(mainPair) * ratio);
            if (!(total < 0 || total > 0)) continue;  // a gear the box does not have
            ShiftGear& gear = out.gears.emplace_back(
                ShiftGear{g, ratio, total, v, EngineSpeedAt(v, perimeter, total), std::nullopt});
            v = Store((Divide(n, total) * P) * K);
            gear.shiftSpeed = v;
        }
    } catch (...) {
        out.failure = std::current_exception();
    }
    return out;
}

void AddShiftPoints(int set, std::int32_t maxRpm, const ShiftGears& gears, ShiftChart& chart) {
    const std::size_t first = ShiftChart::FirstOfSet(set);
    Series& shiftCurve = chart[first];
    Series& shiftSpeed = chart[first + 6];
    const double nPoint = static_cast<double>(maxRpm);

    // At each shift speed the point at the maximum goes in before the point after the
    // shift, so the curve climbs and then drops vertically.
    for (const ShiftGear& g : gears.gears) {
        if (g.afterShift) {
            shiftCurve.AddXY(g.fromSpeed, *g.afterShift);
            chart[first + static_cast<std::size_t>(g.gear) - 1].AddXY(g.fromSpeed, *g.afterShift);
        }
        if (g.shiftSpeed) {
            shiftCurve.AddXY(*g.shiftSpeed, nPoint);
            shiftSpeed.AddXY(*g.shiftSpeed, nPoint);
        }
    }
    if (gears.failure) std::rethrow_exception(gears.failure);
}

void AddShiftPoints(int set, std::int32_t maxRpm, const std::array<double, 6>& ratios,
                    double mainPair, std::int32_t perimeter, ShiftChart& chart) {
    AddShiftPoints(set, maxRpm, ComputeShiftGears(maxRpm, ratios, mainPair, perimeter), chart);
}

void BuildComparisonSet(int set, std::int32_t maxRpm, const ComparisonSet& input, Catalog& catalog,
                        ShiftChart& chart, SetGears* gears) {
    SetGears own;
    SetGears& out = gears ? *gears : own;
    out.outcome = SetOutcome::NotFound;
    out.perimeter = 0;
    out.gears = {};
    // Grafic hands in the set's own copy of its input; a name may be megabytes long.
    if (gears && &gears->input != &input) gears->input = input;
    const std::size_t first = ShiftChart::FirstOfSet(set);
    for (std::size_t i = first + 1; i < first + ShiftChart::kSeriesPerSet; ++i) {
        chart[i].SetLabelsVisible(input.labels);
    }
    for (std::size_t i = first; i < first + ShiftChart::kSeriesPerSet; ++i) {
        chart[i].SetColor(input.color);
        chart[i].AddXY(0, 0);
    }
    if (!catalog.FindRow(input.rowName)) return;
    if (!catalog.FindPair(input.pairText)) return;
    if (!catalog.FindTyre(input.tyreName)) return;
    out.perimeter = catalog.CurrentTyre->Perimeter;
    out.gears =
        ComputeShiftGears(maxRpm, catalog.CurrentRow->Ratios, *catalog.CurrentPair, out.perimeter);
    out.outcome = out.gears.failure ? SetOutcome::Failed : SetOutcome::Computed;
    AddShiftPoints(set, maxRpm, out.gears, chart);
}

ChartGears UnbuiltGears(std::int32_t maxRpm, const ComparisonSet& set1, const ComparisonSet& set2) {
    ChartGears gears;
    gears.maxRpm = maxRpm;
    const ComparisonSet* inputs[] = {&set1, &set2};
    for (std::size_t i = 0; i < gears.sets.size(); ++i) {
        gears.sets[i] = SetGears{
            inputs[i]->shown ? SetOutcome::NotBuilt : SetOutcome::Hidden, *inputs[i], 0, {}};
    }
    return gears;
}

void Grafic(std::int32_t maxRpm, const ComparisonSet& set1, const ComparisonSet& set2,
            Catalog& catalog, ShiftChart& chart, ChartGears* gears) {
    for (Series& s : chart) s.Clear();
    ChartGears own;
    ChartGears& out = gears ? *gears : own;
    // Every outcome is known before a set is built: an error in set 1 leaves set 2 not built.
    out = UnbuiltGears(maxRpm, set1, set2);
    for (std::size_t i = 0; i < out.sets.size(); ++i) {
        SetGears& s = out.sets[i];
        if (s.input.shown)
            BuildComparisonSet(static_cast<int>(i) + 1, maxRpm, s.input, catalog, chart, &s);
    }
}

}  // namespace kelm
