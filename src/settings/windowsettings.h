#pragma once

#include <cstdint>
#include <string>

#include "base/colors.h"

namespace kelm {

// The main window's state as the settings file keeps it.  List texts are the lists' shown
// texts as Windows-1251 bytes, like the catalog's names.
struct WindowSettings {
    bool FormMax = false;
    std::int32_t FormHeight = 400;
    std::int32_t FormWidth = 600;
    std::int32_t SE1 = 6000;
    bool CB1 = true;
    bool CB2 = false;
    bool CB3 = true;
    bool CB4 = true;
    std::string ComboBox1, ComboBox2, ComboBox4, ComboBox5, ComboBox7, ComboBox8;
    std::int32_t ColorBox1 = static_cast<std::int32_t>(colors::Red);
    std::int32_t ColorBox2 = static_cast<std::int32_t>(colors::Blue);

    bool operator==(const WindowSettings&) const = default;
};

// The section of the settings file, "Параметры" in Windows-1251.
const std::string& SettingsSection();

// What a key that is missing gives.  The pair texts are the number text of 3.9 and 4.1
// in the user's decimal separator, so a first start selects them under a point too.
WindowSettings DefaultWindowSettings();

// Reads the settings file; a missing or unreadable file, a missing key or a value that is
// not a number where one is due gives the default of that entry.  Nothing is created.
WindowSettings ReadWindowSettings(const std::string& path);

// Whether a regular file is at the path (a folder there does not count).
bool SettingsFileExists(const std::string& path);

// Writes the sixteen entries into the settings file, keeping whatever else the file holds,
// in one step: either the whole new file is in place or the old one is untouched.  Throws
// KelmError "Unable to write to <path>" on failure, and for a file marked read-only (no
// write bit in its mode, or one we may not write), which is not replaced.
void WriteWindowSettings(const std::string& path, const WindowSettings& settings);

// What closing the main window does with the settings: WriteWindowSettings, and where there
// was no settings file and none can be made (a missing folder, a folder in its place), the
// failure to create it, InOutError(103).  Either the whole file is written or none is
// left: a failure never leaves an empty file behind.
void SaveWindowSettings(const std::string& path, const WindowSettings& settings);

}  // namespace kelm
