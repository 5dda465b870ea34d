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
// with its exact text.  Records complete before a failure stay in the catalog.
void LoadCatalog(Catalog& catalog, const std::string& path);

// Writes the whole catalog to the file.  Always returns normally; file errors are reported
// through CheckIO.
void SaveCatalog(Catalog& catalog, const std::string& path);

}  // namespace kelm
