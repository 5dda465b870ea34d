#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelm {

// An INI file held as its lines, so that sections, keys and comments we do not know
// survive a rewrite.  Texts are the file's own 8-bit bytes (Windows-1251); section and key
// names are compared ignoring letter case, Cyrillic letters included.
class IniFile {
  public:
    // A file that is missing or cannot be read gives an empty file: every key is missing.
    static IniFile Load(const std::string& path);
    static IniFile Parse(std::string_view bytes);

    // The value of the first such key in the first such section, with the blanks around it
    // and one pair of enclosing quotes removed; nothing when the key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // Replaces the value of the key, or adds the key at the end of its section, or adds the
    // section at the end of the file.  A value that reading would change (blanks at its ends,
    // enclosing quotes) is written in quotes, so it reads back unchanged.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

    // The whole file, every line ended with CR LF.
    std::string Text() const;

    // Replaces the file in one step (ReplaceFile, base/safefile.h), so a failure leaves the
    // old file whole, and a file marked read-only stays as it is.  Throws KelmError "Unable
    // to write to <path>".
    void Save(const std::string& path) const;

    const std::vector<std::string>& Lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
};

// The value reading rules of the program's settings: a text is cut at 2047 characters; an
// integer is read from the text ("0x" in front of more characters stands for "$"), and an
// empty, unreadable or out-of-range text gives the default, as does a missing key.
std::string IniReadString(const IniFile& ini, std::string_view section, std::string_view key,
                          std::string_view def);
std::int32_t IniReadInteger(const IniFile& ini, std::string_view section, std::string_view key,
                            std::int32_t def);
bool IniReadBool(const IniFile& ini, std::string_view section, std::string_view key, bool def);

// The integer rule above applied to one value text.
std::optional<std::int32_t> ReadIniIntegerText(std::string_view text);

// Section and key names compare like this: ASCII and Windows-1251 Cyrillic letters
// without regard to case.
bool SameIniName(std::string_view a, std::string_view b);

}  // namespace kelm
