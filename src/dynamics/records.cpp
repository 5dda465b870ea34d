#include "dynamics/records.h"

#include <algorithm>

namespace kelm {

double Engine::TorqueAt(double rpm) const {
    if (Torque.empty()) return 0;
    if (rpm <= Torque.front().rpm) return Torque.front().torque;
    if (rpm > Torque.back().rpm) return 0;
    // The first point at or above the speed; the one before it starts the segment.
    const auto hi = std::lower_bound(Torque.begin(), Torque.end(), rpm,
                                     [](const TorquePoint& p, double n) { return p.rpm < n; });
    const auto lo = hi - 1;
    const double t = (rpm - lo->rpm) / (hi->rpm - lo->rpm);
    return lo->torque + t * (hi->torque - lo->torque);
}

}  // namespace kelm
