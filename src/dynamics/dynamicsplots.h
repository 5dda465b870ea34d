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

// "Главная пара": over the main pair, each set's 0-100 time (solid) and 400 m time (dashed) on
// the left axis and its top speed (dotted) on the right one, a figure out of reach a gap; each
// set's own pair marked by a line and a dot on each curve, each best pair by a dot labelled
// with the pair (as the table beneath gives it).  Above the curves a band is left free for the
// legend (the sets and the three kinds of line) and the labels.  The x axis spans `from` to
// `to` while there is nothing to draw.
Plot PairPlot(const DynamicsSets& sets, const PairSweeps& sweeps, double from, double to);

}  // namespace kelm
