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

void AddShiftPoints(int set, std::int32_t maxRpm, const std::array<double, 6>& ratios,
                    double mainPair, std::int32_t perimeter, ShiftChart& chart) {
    const std::size_t first = ShiftChart::FirstOfSet(set);
    Series& shiftCurve = chart[first];
    Series& shiftSpeed = chart[first + 6];

    const long double K = ExtendedK();
    const long double n = maxRpm;
    const long double P = perimeter;
    const double nPoint = static_cast<double>(maxRpm);

    double total = Store(static_cast<long double>(mainPair) * ratios[0]);
    double v = Store((Divide(n, total) * P) * K);
    shiftCurve.AddXY(v, nPoint);
    shiftSpeed.AddXY(v, nPoint);

    for (int g = 2; g <= 6; ++g) {
        total = Store(static_cast<long double>(mainPair) * ratios[g - 1]);
        if (!(total < 0 || total > 0)) continue;  // a gear the box does not have
        const double y = Store(Divide(v, P * K) * total);
        shiftCurve.AddXY(v, y);
        chart[first + static_cast<std::size_t>(g) - 1].AddXY(v, y);
        v = Store((Divide(n, total) * P) * K);
        shiftCurve.AddXY(v, nPoint);
        shiftSpeed.AddXY(v, nPoint);
    }
}

void BuildComparisonSet(int set, std::int32_t maxRpm, const ComparisonSet& input, Catalog& catalog,
                        ShiftChart& chart) {
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
    AddShiftPoints(set, maxRpm, catalog.CurrentRow->Ratios, *catalog.CurrentPair,
                   catalog.CurrentTyre->Perimeter, chart);
}

void Grafic(std::int32_t maxRpm, const ComparisonSet& set1, const ComparisonSet& set2,
            Catalog& catalog, ShiftChart& chart) {
    for (Series& s : chart) s.Clear();
    if (set1.shown) BuildComparisonSet(1, maxRpm, set1, catalog, chart);
    if (set2.shown) BuildComparisonSet(2, maxRpm, set2, catalog, chart);
}

}  // namespace kelm
