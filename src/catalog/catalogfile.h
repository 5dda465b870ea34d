#pragma once

#include <string>

#include "catalog/catalog.h"

namespace kelm {

// Takes the pending error code of the text-file operations and clears it.  When there was
// one, shows "Не найден файл" (caption "Ошибка диска!", OK button, no icon) through
// AppMessages() and returns true; otherwise returns false.
bool CheckIO();

// Empties the catalog and fills it from the catalog file.  Ends with SilentAbort after
// CheckIO has reported a file error; a number that cannot be read escapes as ConvertError
// with its exact text (the line quoted in UTF-8).  Records complete before a failure stay
// in the catalog.  Numbers are read with either "," or "." as the decimal separator, so
// a file written under other regional settings still loads.
//
// Each load is noted for the next save (NoteFileLoad, base/versionedsave.h): the version
// of the file's bytes, and whether the load read the whole file (it could be opened and
// read, and every number could be read).  After an incomplete load the next SaveCatalog to
// that path first keeps the old file as "<path>.bak", so the records the load never reached
// are not lost.
void LoadCatalog(Catalog& catalog, const std::string& path);

// Writes the whole catalog to the file, numbers with the user's decimal separator.
// Always returns normally.  The file is replaced in one step (SaveVersionedFile,
// base/versionedsave.h), so a failed save leaves the old file untouched, and a catalog
// marked read-only is not replaced; a failure is reported by one CheckIO message for the
// whole save.
//
// When the file holds something other than the version last loaded or saved, another
// program (a second copy of Kelm) has written it meanwhile: that version is first kept as
// "<path>.bak", as after an incomplete load, and one message says so and names the backup.
void SaveCatalog(Catalog& catalog, const std::string& path);

}  // namespace kelm
