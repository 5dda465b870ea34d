#include "dynamics/dynamicsdata.h"

#include <algorithm>
#include <set>

namespace kelm {

namespace {

constexpr std::string_view kNewEngineName = "Новый двигатель";
constexpr std::string_view kNewCarName = "Новый автомобиль";

// The operations are the same for both lists; these say where each list and its run
// choices are.
struct EngineList {
    static std::vector<Stored<Engine>>& Of(DynamicsData& d) { return d.Engines; }
    static const std::vector<Stored<Engine>>& Of(const DynamicsData& d) { return d.Engines; }
    static constexpr std::string RunSettings::*kChoices[] = {&RunSettings::Engine1,
                                                             &RunSettings::Engine2};
    static constexpr bool kCar = false;
};
struct CarList {
    static std::vector<Stored<Car>>& Of(DynamicsData& d) { return d.Cars; }
    static const std::vector<Stored<Car>>& Of(const DynamicsData& d) { return d.Cars; }
    static constexpr std::string RunSettings::*kChoices[] = {&RunSettings::Car1,
                                                             &RunSettings::Car2};
    static constexpr bool kCar = true;
};

template <class List>
std::optional<std::size_t> IndexOf(const DynamicsData& data, std::string_view name) {
    const auto& list = List::Of(data);
    const auto it =
        std::find_if(list.begin(), list.end(), [name](const auto& r) { return r.Name == name; });
    if (it == list.end()) return std::nullopt;
    return static_cast<std::size_t>(it - list.begin());
}

// `base` cut to at most `max` characters, never inside a character.
std::string CutToCharacters(std::string_view base, std::size_t max) {
    std::size_t i = 0;
    for (std::size_t count = 0; i < base.size() && count < max; ++count) {
        ++i;
        while (i < base.size() && (static_cast<unsigned char>(base[i]) & 0xC0) == 0x80) ++i;
    }
    return std::string(base.substr(0, i));
}

// "Седан (2)" → "Седан"; a name without such a number stays as it is.
std::string_view WithoutNumber(std::string_view name) {
    if (name.size() < 4 || name.back() != ')') return name;
    const auto open = name.rfind(" (");
    if (open == std::string_view::npos) return name;
    const std::string_view digits = name.substr(open + 2, name.size() - open - 3);
    if (digits.empty() || digits.front() == '0') return name;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return name;
    return name.substr(0, open);
}

template <class List>
std::string FreshName(const DynamicsData& data, std::string_view base) {
    std::set<std::string_view> taken;
    for (const auto& r : List::Of(data)) taken.insert(r.Name);
    std::string name = CutToCharacters(base, kMaxDynamicsNameLength);
    if (!name.empty() && !taken.contains(name)) return name;
    const std::string_view stem = WithoutNumber(base);
    for (std::size_t n = 2;; ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        name = CutToCharacters(stem, kMaxDynamicsNameLength - suffix.size()) + suffix;
        if (!taken.contains(name)) return name;
    }
}

template <class List>
std::size_t Copy(DynamicsData& data, std::size_t index) {
    auto& list = List::Of(data);
    auto copy = list.at(index);
    copy.Name = FreshName<List>(data, copy.Name);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(copy));
    return index + 1;
}

template <class List>
std::optional<FieldProblem> Rename(DynamicsData& data, std::size_t index, std::string_view name) {
    auto& list = List::Of(data);
    auto& record = list.at(index);
    if (record.Name == name) return std::nullopt;
    if (auto p = NameProblem(name)) return p;
    // A name typed as blanks alone reads as no name at all in every list that shows it.
    if (name.find_first_not_of(" \t") == std::string_view::npos) {
        return FieldProblem{"name", "имя пустое"};
    }
    if (auto other = IndexOf<List>(data, name)) {
        return FieldProblem{"name", "имя «" + std::string(name) + "» уже есть у другого " +
                                        (List::kCar ? "автомобиля" : "двигателя")};
    }
    for (auto choice : List::kChoices) {
        if (data.Run.*choice == record.Name) data.Run.*choice = std::string(name);
    }
    record.Name = std::string(name);
    return std::nullopt;
}

template <class List>
void Delete(DynamicsData& data, std::size_t index) {
    auto& list = List::Of(data);
    const std::string name = list.at(index).Name;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    for (auto choice : List::kChoices) {
        if (data.Run.*choice == name) (data.Run.*choice).clear();
    }
}

template <class List, class Check>
std::optional<std::string> ListProblem(const DynamicsData& data, Check check) {
    std::set<std::string_view> seen;
    const auto& list = List::Of(data);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& r = list[i];
        if (auto p = check(r)) {
            return RecordTitle(List::kCar, i, r.Name) + ": поле \"" + p->Field + "\": " + p->Text;
        }
        if (!seen.insert(r.Name).second) {
            return RecordTitle(List::kCar, i, {}) + ": имя «" + r.Name + "» повторяется";
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::size_t> DynamicsData::EngineIndex(std::string_view name) const {
    return IndexOf<EngineList>(*this, name);
}
std::optional<std::size_t> DynamicsData::CarIndex(std::string_view name) const {
    return IndexOf<CarList>(*this, name);
}
const Engine* DynamicsData::FindEngine(std::string_view name) const {
    const auto i = EngineIndex(name);
    return i ? &Engines[*i] : nullptr;
}
const Car* DynamicsData::FindCar(std::string_view name) const {
    const auto i = CarIndex(name);
    return i ? &Cars[*i] : nullptr;
}

std::string FreshEngineName(const DynamicsData& data, std::string_view base) {
    return FreshName<EngineList>(data, base);
}
std::string FreshCarName(const DynamicsData& data, std::string_view base) {
    return FreshName<CarList>(data, base);
}

std::size_t AddEngine(DynamicsData& data) {
    Stored<Engine> engine;
    engine.Name = FreshEngineName(data, kNewEngineName);
    engine.Torque = {{1000, 100}, {6000, 100}};
    data.Engines.push_back(std::move(engine));
    return data.Engines.size() - 1;
}

std::size_t AddCar(DynamicsData& data) {
    Stored<Car> car;
    car.Name = FreshCarName(data, kNewCarName);
    data.Cars.push_back(std::move(car));
    return data.Cars.size() - 1;
}

std::size_t CopyEngine(DynamicsData& data, std::size_t index) {
    return Copy<EngineList>(data, index);
}
std::size_t CopyCar(DynamicsData& data, std::size_t index) { return Copy<CarList>(data, index); }

std::optional<FieldProblem> RenameEngine(DynamicsData& data, std::size_t index,
                                         std::string_view name) {
    return Rename<EngineList>(data, index, name);
}
std::optional<FieldProblem> RenameCar(DynamicsData& data, std::size_t index,
                                      std::string_view name) {
    return Rename<CarList>(data, index, name);
}

void DeleteEngine(DynamicsData& data, std::size_t index) { Delete<EngineList>(data, index); }
void DeleteCar(DynamicsData& data, std::size_t index) { Delete<CarList>(data, index); }

std::optional<std::string> DataProblem(const DynamicsData& data) {
    if (auto p = ListProblem<EngineList>(data, EngineProblem)) return p;
    if (auto p = ListProblem<CarList>(data, CarProblem)) return p;
    if (auto p = RunProblem(data.Run))
        return "выбор расчёта: поле \"" + p->Field + "\": " + p->Text;
    return std::nullopt;
}

std::string RecordTitle(bool car, std::size_t index, std::string_view name) {
    const std::string word = car ? "автомобиль" : "двигатель";
    if (!NameProblem(name)) return word + " «" + std::string(name) + "»";
    return word + " № " + std::to_string(index + 1);
}

}  // namespace kelm
