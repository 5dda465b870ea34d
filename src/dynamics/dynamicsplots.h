#pragma once

#include "chart/plot.h"
#include "dynamics/dynamicsresults.h"

// The acceleration window's two charts as plots, which the chart panel draws like any other.
// Each set with figures is drawn in its colour; a set without them leaves its place empty.

namespace kelm {

// "Разгон": road speed over time from rest, a line per set, a dot at each shift with the
// gears it joins ("1→2").
Plot AccelerationPlot(const DynamicsSets& sets);

// "Тяговый баланс": the drive force of every gear over road speed (labelled with the gear at
// its peak), each car's grip limit and its resistance dashed (the grip's thinner), the top
// speed marked by a dotted line with its figure.
Plot BalancePlot(const DynamicsSets& sets);

}  // namespace kelm
