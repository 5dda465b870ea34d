#pragma once

#include <string>

#include "dynamics/dynamicsdata.h"

namespace kelm {

// The dynamics file on disk: read once, when its engines and cars are first needed, written whole
// whenever the user's engines, cars or run choices change (the editor closes, a choice of the
// acceleration window).  Its place is decided with the catalog's (base/filelocations).  Messages go
// through AppMessages(), with the program title as caption.

// Reads the file.  No file: the sample's content, and the file is written at the first save;
// nothing is said.  A file that could not be read whole (not JSON, cut off, a bad record)
// gives one message that names the file and every record and field left out; the rest is
// loaded, and the first save keeps the file as it is now as "<path>.bak" before replacing
// it (a backup there that nobody has seen yet moves up to "<path>.1.bak": versionedsave).  A file
// of a later version is read as far as it is understood and never overwritten; the message says so,
// once.  A file that cannot be opened at all gives a message and no records, and the first save
// keeps it too.
DynamicsData LoadDynamics(const std::string& path);

// Writes the data, replacing the file in one step (SaveVersionedFile): a failed save leaves
// the old file whole, and says why.  The old file is first kept as "<path>.bak" when the
// last load did not read all of it, or when another program has changed it since this one
// last read or wrote it; a message names the backup.  Refused, with a message, when the data
// break a rule of the records (DataProblem); refused silently for a file of a later version
// (LoadDynamics told the user).  True when the file now holds the data.
bool SaveDynamics(const DynamicsData& data, const std::string& path);

}  // namespace kelm
