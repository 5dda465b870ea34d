#pragma once

#include "dynamics/acceleration.h"

// The two worked examples of the acceleration window: a carburettor saloon with a four-speed
// box, and a turbo diesel estate with a six-speed one.
namespace kelm::testing {

inline Car MakeCar(double mass, double cx, double area, double rolling, double efficiency,
                   double driven, double grip, double wheels = 0.04, double engine = 0.04) {
    return {.Name = "",
            .Mass = mass,
            .Cx = cx,
            .Area = area,
            .Rolling = rolling,
            .Efficiency = efficiency,
            .Driven = driven,
            .Grip = grip,
            .DeltaWheels = wheels,
            .DeltaEngine = engine};
}

inline AccelerationInput ExampleA() {  // "4-ступ. классическая 3,67-2,10-1,36-1,00", "175/70 R13"
    AccelerationInput in{{3.67, 2.10, 1.36, 1.00}, 3.9,  1807, 6000, {}, {},
                         ShiftRule::Max,           2500, 0.5};
    in.engine.Torque = {{1000, 95},  {2000, 112}, {3000, 121}, {4000, 118},
                        {5000, 110}, {5400, 104}, {6000, 94}};  // "1,6 л 80 л.с."
    in.car = MakeCar(1120, 0.48, 1.8, 0.015, 0.9, 0.5, 0.8);    // "Седан 1120 кг"
    return in;
}

inline AccelerationInput ExampleB(ShiftRule rule) {  // "6-ступ. дизельная ...", "205/55 R16"
    AccelerationInput in{
        {3.77, 2.04, 1.32, 0.95, 0.76, 0.63}, 3.55, 1985, 4800, {}, {}, rule, 2000, 0.5};
    in.engine.Torque = {{1000, 150}, {1750, 310}, {2000, 315}, {2500, 310},
                        {3000, 300}, {4000, 240}, {4500, 200}, {4800, 150}};
    in.car = MakeCar(1450, 0.32, 2.1, 0.012, 0.92, 0.6, 0.9);
    return in;
}

}  // namespace kelm::testing
