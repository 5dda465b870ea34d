#include "dynamics/records.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/numtext.h"

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

namespace {

constexpr NumberField<Car> kCarFields[] = {
    {"mass", "Масса с водителем, кг", &Car::Mass, Car::kMassRange},
    {"cx", "Коэффициент аэродинамического сопротивления Cx", &Car::Cx, Car::kCxRange},
    {"area", "Площадь лобового сечения, м²", &Car::Area, Car::kAreaRange},
    {"rolling", "Коэффициент сопротивления качению", &Car::Rolling, Car::kRollingRange},
    {"efficiency", "КПД трансмиссии", &Car::Efficiency, Car::kEfficiencyRange},
    {"driven", "Доля веса на ведущих колёсах", &Car::Driven, Car::kDrivenRange},
    {"grip", "Коэффициент сцепления шин с дорогой", &Car::Grip, Car::kGripRange},
    {"delta_wheels", "Коэффициент вращающихся масс колёс", &Car::DeltaWheels, Car::kDeltaRange},
    {"delta_engine", "Коэффициент вращающихся масс двигателя", &Car::DeltaEngine, Car::kDeltaRange},
};
static_assert(std::size(kCarFields) == kCarRequiredFields + 2);

constexpr NumberField<RunSettings> kRunNumberFields[] = {
    {"launch", "Обороты при старте, об/мин", &RunSettings::Launch, RunSettings::kLaunchRange},
    {"shift_time", "Время переключения, с", &RunSettings::ShiftTime, RunSettings::kShiftTimeRange},
    {"pair_from", "Пары от", &RunSettings::PairFrom, RunSettings::kPairRange},
    {"pair_to", "Пары до", &RunSettings::PairTo, RunSettings::kPairRange},
};

}  // namespace

std::string RangeText(ValueRange range) {
    return "от " + FloatToStr(range.min) + " до " + FloatToStr(range.max);
}

std::optional<std::size_t> Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t len;
        char32_t cp, least;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2, cp = b & 0x1F, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3, cp = b & 0x0F, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4, cp = b & 0x07, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i < len) return std::nullopt;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        i += len;
    }
    return count;
}

std::optional<FieldProblem> NameProblem(std::string_view name) {
    if (name.empty()) return FieldProblem{"name", "имя пустое"};
    const auto length = Utf8Length(name);
    if (!length) return FieldProblem{"name", "имя не в кодировке UTF-8"};
    if (*length > kMaxDynamicsNameLength) {
        return FieldProblem{"name", "имя длиннее " + std::to_string(kMaxDynamicsNameLength) +
                                        " знаков (" + std::to_string(*length) + ")"};
    }
    return std::nullopt;
}

std::optional<FieldProblem> NumberProblem(std::string_view key, double value, ValueRange range) {
    if (range.Contains(value)) return std::nullopt;
    std::string text = std::isnan(value)   ? std::string("не число")
                       : std::isinf(value) ? std::string("число слишком велико")
                                           : FloatToStr(value);
    return FieldProblem{std::string(key), text + " — вне пределов " + RangeText(range)};
}

std::optional<FieldProblem> CurveProblem(const std::vector<TorquePoint>& torque) {
    const auto problem = [](std::string text) { return FieldProblem{"torque", std::move(text)}; };
    if (torque.size() < Engine::kMinPoints || torque.size() > Engine::kMaxPoints) {
        return problem("точек " + std::to_string(torque.size()) + ", а нужно от " +
                       std::to_string(Engine::kMinPoints) + " до " +
                       std::to_string(Engine::kMaxPoints));
    }
    for (std::size_t i = 0; i < torque.size(); ++i) {
        const std::string point = "точка " + std::to_string(i + 1) + ": ";
        if (auto p = NumberProblem("torque", torque[i].rpm, Engine::kSpeedRange)) {
            return problem(point + "обороты " + p->Text);
        }
        if (auto p = NumberProblem("torque", torque[i].torque, Engine::kTorqueRange)) {
            return problem(point + "момент " + p->Text);
        }
        if (i > 0 && !(torque[i].rpm > torque[i - 1].rpm)) {
            return problem(point + "обороты " + FloatToStr(torque[i].rpm) +
                           " не больше, чем в точке " + std::to_string(i) + " (" +
                           FloatToStr(torque[i - 1].rpm) + "): обороты должны возрастать");
        }
    }
    return std::nullopt;
}

std::span<const NumberField<Car>> CarFields() { return kCarFields; }
std::span<const NumberField<RunSettings>> RunNumberFields() { return kRunNumberFields; }

std::optional<FieldProblem> EngineProblem(const Engine& engine) {
    if (auto p = NameProblem(engine.Name)) return p;
    return CurveProblem(engine.Torque);
}

std::optional<FieldProblem> CarProblem(const Car& car) {
    if (auto p = NameProblem(car.Name)) return p;
    for (const auto& f : kCarFields) {
        if (auto p = NumberProblem(f.Key, car.*f.Member, f.Range)) return p;
    }
    return std::nullopt;
}

std::optional<FieldProblem> RunProblem(const RunSettings& run) {
    for (const auto& f : kRunNumberFields) {
        if (auto p = NumberProblem(f.Key, run.*f.Member, f.Range)) return p;
    }
    if (run.PairTo < run.PairFrom) {
        return FieldProblem{"pair_to", FloatToStr(run.PairTo) + " меньше начала диапазона пар (" +
                                           FloatToStr(run.PairFrom) + ")"};
    }
    return std::nullopt;
}

std::string_view ShiftRuleKey(ShiftRule rule) { return rule == ShiftRule::Best ? "best" : "max"; }

std::optional<ShiftRule> ShiftRuleFromKey(std::string_view key) {
    if (key == "max") return ShiftRule::Max;
    if (key == "best") return ShiftRule::Best;
    return std::nullopt;
}

}  // namespace kelm
