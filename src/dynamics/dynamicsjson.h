#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dynamics/dynamicsdata.h"

namespace kelm {

// The text of the dynamics file, "Kelm-dynamics.json": the engines, cars and run choices as JSON in
// UTF-8, pretty-printed for a person who opens it in a text editor.
//
//   { "format": "Kelm dynamics", "version": 1,
//     "engines": [ { "name": ..., "torque": [[rpm, N·m], ...] }, ... ],
//     "cars": [ { "name": ..., "mass": ..., "cx": ..., ... }, ... ],
//     "run": { "engine1": ..., "car1": ..., "engine2": ..., "car2": ...,
//              "shift": "max" | "best", "launch": ..., "shift_time": ...,
//              "pair_from": ..., "pair_to": ... } }
//
// Numbers are written with a decimal point whatever the user's regional settings, in the
// shortest form that reads back to the same double, so a saved file loads to the same data
// bit for bit.  Members this version does not know are kept, at every level, and written
// back after the known ones.

// The file's version that this program writes and understands in full.
constexpr int kDynamicsFileVersion = 1;

// What a reading of the file's text gives.
struct DynamicsRead {
    DynamicsData Data;  // every valid record; the defaults of the run where it has none
    // What could not be read, one Russian line each, naming the record (by name or
    // position) and the field; empty when everything was read.
    std::vector<std::string> Problems;
    int Version = kDynamicsFileVersion;  // the file's "version" when it is readable
    bool Newer() const { return Version > kDynamicsFileVersion; }
};

// Reads the text of a dynamics file; never throws on any bytes.  A UTF-8 byte-order mark
// and CR LF line ends (as a Windows editor leaves them) read like the plain text.  Text
// that stops being JSON (a cut-off file, a stray character) is read up to that point: the
// records complete before it are kept, the one it cuts is not.  A record with a missing,
// mistyped or out-of-range field, a curve whose speeds do not rise, or a name used before
// in its list is left out; the run keeps its default for a field that is bad.  In a file
// of a later version, a torque point may carry more than two numbers; the first two count.
DynamicsRead ReadDynamicsText(std::string_view text);

// The text of the file for data that DataProblem accepts.
std::string DynamicsText(const DynamicsData& data);

// The sample's engines, cars and run, which stand in for a missing file.
DynamicsData SampleDynamics();

}  // namespace kelm
