#include "settings/inifile.h"

#include "base/errors.h"
#include "base/numtext.h"
#include "base/posixio.h"
#include "base/safefile.h"

namespace kelm {

namespace {

constexpr std::size_t kValueBufferChars = 2047;  // a 2048-character buffer with its end mark

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool Enclosed(std::string_view s) {
    return s.size() >= 2 && IsQuote(s.front()) && s.front() == s.back();
}

// Lower case of one Windows-1251 byte: ASCII letters, А-Я and Ё.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
    if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 0x20);
    if (c == 0xA8) return 0xB8;
    return c;
}

// The name of a section header line, or nothing when the line is no header.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const std::size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view rawValue;
};

std::optional<KeyLine> SplitKeyLine(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(line.substr(0, eq)), line.substr(eq + 1)};
}

std::string DecodeValue(std::string_view raw) {
    std::string_view v = Trim(raw);
    if (Enclosed(v)) v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::string EncodeValue(std::string_view value) {
    const bool needsQuotes =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || Enclosed(value));
    if (needsQuotes) return "\"" + std::string(value) + "\"";
    return std::string(value);
}

// Where a section's lines are: the header's index and one past its last line.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<std::string>& lines,
                                       std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !SameIniName(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end])) ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

[[noreturn]] void ThrowUnableToWrite(const std::string& path) {
    throw KelmError("Unable to write to " + path);
}

}  // namespace

bool SameIniName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

IniFile IniFile::Parse(std::string_view bytes) {
    IniFile ini;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        const std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
        std::string_view line = bytes.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ini.lines_.emplace_back(line);
        start = stop + 1;
    }
    return ini;
}

IniFile IniFile::Load(const std::string& path) {
    std::string bytes;
    // A folder, or anything else that is no regular file, is no settings file.
    if (posixio::ReadFile(path, bytes) != 0) return {};
    return Parse(bytes);
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
    const auto span = FindSection(lines_, section);
    if (!span) return std::nullopt;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        const auto kl = SplitKeyLine(lines_[i]);
        if (kl && SameIniName(kl->key, key)) return DecodeValue(kl->rawValue);
    }
    return std::nullopt;
}

void IniFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + "=" + EncodeValue(value);
    const auto span = FindSection(lines_, section);
    if (!span) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::move(line));
        return;
    }
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        const auto kl = SplitKeyLine(lines_[i]);
        if (kl && SameIniName(kl->key, key)) {
            lines_[i] = std::move(line);
            return;
        }
    }
    // After the section's last non-blank line, so a blank line before the next section stays
    // where it was.
    std::size_t at = span->end;
    while (at > span->header + 1 && Trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::string IniFile::Text() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void IniFile::Save(const std::string& path) const {
    if (ReplaceFile(path, Text()) != 0) ThrowUnableToWrite(path);
}

std::optional<std::int32_t> ReadIniIntegerText(std::string_view text) {
    std::string t(text);
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.replace(0, 2, "$");
    return TryStrToInt(t);
}

std::string IniReadString(const IniFile& ini, std::string_view section, std::string_view key,
                          std::string_view def) {
    std::string value = ini.Value(section, key).value_or(std::string(def));
    if (value.size() > kValueBufferChars) value.resize(kValueBufferChars);
    return value;
}

std::int32_t IniReadInteger(const IniFile& ini, std::string_view section, std::string_view key,
                            std::int32_t def) {
    const auto value = ini.Value(section, key);
    if (!value) return def;
    return ReadIniIntegerText(*value).value_or(def);
}

bool IniReadBool(const IniFile& ini, std::string_view section, std::string_view key, bool def) {
    return IniReadInteger(ini, section, key, def ? 1 : 0) != 0;
}

}  // namespace kelm
