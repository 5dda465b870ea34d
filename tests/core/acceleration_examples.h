#pragma once

#include "dynamics/acceleration.h"

// The two worked examples of the acceleration window: a carburettor saloon with a four-speed
// box, and a turbo diesel estate with a six-speed one.
namespace kelm::testing {

inline AccelerationInput ExampleA() {
    AccelerationInput in;
    in.gears = {3.67, 2.10, 1.36, 1.00};  // "4-ступ. классическая 3,67-2,10-1,36-1,00"
    in.mainPair = 3.9;
    in.perimeter = 1807;  // "175/70 R13"
    in.maxRpm = 6000;
    in.engine.Name = "1,6 л 80 л.с.";
    in.engine.Torque = {{1000, 95},  {2000, 112}, {3000, 121}, {4000, 118},
                        {5000, 110}, {5400, 104}, {6000, 94}};
    in.car = {.Name = "Седан 1120 кг",
              .Mass = 1120,
              .Cx = 0.48,
              .Area = 1.8,
              .Rolling = 0.015,
              .Efficiency = 0.9,
              .Driven = 0.5,
              .Grip = 0.8,
              .DeltaWheels = 0.04,
              .DeltaEngine = 0.04};
    in.shift = ShiftRule::Max;
    in.launch = 2500;
    in.shiftTime = 0.5;
    return in;
}

inline AccelerationInput ExampleB(ShiftRule rule) {
    AccelerationInput in;
    in.gears = {3.77, 2.04, 1.32, 0.95, 0.76, 0.63};  // "6-ступ. дизельная ..."
    in.mainPair = 3.55;
    in.perimeter = 1985;  // "205/55 R16"
    in.maxRpm = 4800;
    in.engine.Torque = {{1000, 150}, {1750, 310}, {2000, 315}, {2500, 310},
                        {3000, 300}, {4000, 240}, {4500, 200}, {4800, 150}};
    in.car = {.Name = "Универсал 1450 кг",
              .Mass = 1450,
              .Cx = 0.32,
              .Area = 2.1,
              .Rolling = 0.012,
              .Efficiency = 0.92,
              .Driven = 0.6,
              .Grip = 0.9,
              .DeltaWheels = 0.04,
              .DeltaEngine = 0.04};
    in.shift = rule;
    in.launch = 2000;
    in.shiftTime = 0.5;
    return in;
}

}  // namespace kelm::testing
