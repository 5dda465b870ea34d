#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dynamics/records.h"

namespace kelm {

// A record as the dynamics file keeps it: the record, and the members of its object in the
// file that this version does not know (a later version's fields), as the text of a JSON
// object, empty when there are none.  They are written back as they were, so a save by this
// version loses nothing of a later one's; a copy of the record takes them along.
template <class Record>
struct Stored : Record {
    std::string Extra;
    bool operator==(const Stored&) const = default;
};

// Everything the dynamics file holds: the engines and cars in the user's order, the run's
// choices, and the file's own members that this version does not know.
//
// Names are unique in their list, compared byte for byte.  The operations below keep them
// so, and keep `Run` naming only records that exist (or none): change names and delete
// records through them; the other fields of a record may be set directly, after
// EngineProblem/CarProblem have accepted the new values.
struct DynamicsData {
    std::vector<Stored<Engine>> Engines;
    std::vector<Stored<Car>> Cars;
    Stored<RunSettings> Run;
    std::string Extra;  // as Stored::Extra, for the top of the file

    // Lookups by name, byte for byte; nothing (nullptr) when no record has the name.
    std::optional<std::size_t> EngineIndex(std::string_view name) const;
    std::optional<std::size_t> CarIndex(std::string_view name) const;
    const Engine* FindEngine(std::string_view name) const;
    const Car* FindCar(std::string_view name) const;

    bool operator==(const DynamicsData&) const = default;
};

// The name a new or copied record gets: `base` itself when it is free, otherwise `base`
// with the lowest free number, "Седан (2)", "Седан (3)"...  A number that `base` already
// ends in is replaced, so a copy of "Седан (2)" is "Седан (3)".  The result stays within
// kMaxDynamicsNameLength characters, shortening `base` when it must.
std::string FreshEngineName(const DynamicsData& data, std::string_view base);
std::string FreshCarName(const DynamicsData& data, std::string_view base);

// Appends a new record ("Новый двигатель" with a flat curve, "Новый автомобиль" with the
// default numbers), with a fresh name; returns its index.
std::size_t AddEngine(DynamicsData& data);
std::size_t AddCar(DynamicsData& data);

// Inserts a copy of the record right after it, with a fresh name; returns the copy's index.
std::size_t CopyEngine(DynamicsData& data, std::size_t index);
std::size_t CopyCar(DynamicsData& data, std::size_t index);

// Renames the record, and the run's choices that named it follow.  Refused (the record
// unchanged) with the reason when the name breaks NameProblem or another record of the list
// has it; renaming a record to its own name is no change and no problem.
std::optional<FieldProblem> RenameEngine(DynamicsData& data, std::size_t index,
                                         std::string_view name);
std::optional<FieldProblem> RenameCar(DynamicsData& data, std::size_t index, std::string_view name);

// Removes the record.  A run choice that named it becomes none (empty): the window then
// asks the user to choose again rather than quietly driving another engine or car.
void DeleteEngine(DynamicsData& data, std::size_t index);
void DeleteCar(DynamicsData& data, std::size_t index);

// What keeps the data from being written: the first invalid or repeated record, or an
// invalid run, as one Russian line that names the record and the field; nothing when all is
// well.
std::optional<std::string> DataProblem(const DynamicsData& data);

// How messages name a record: by its name when it has a usable one, otherwise by its
// position in the file's list (from 1).  `car` chooses the word.
std::string RecordTitle(bool car, std::size_t index, std::string_view name);

}  // namespace kelm
