#include "editor/namecheck.h"

#include <array>

#include "base/cp1251.h"

namespace kelm {

namespace {

// Length of the UTF-8 sequence that starts with this byte.
std::size_t SequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

}  // namespace

std::optional<std::string> CatalogNameProblem(std::string_view name) {
    static constexpr std::array<std::string_view, 4> kMarkers{"_", "Riads", "Paras", "Koless"};
    for (std::string_view marker : kMarkers) {
        if (name == marker) {
            return "Название «" + std::string(name) +
                   "» нельзя сохранить: так называется служебная строка файла каталога. "
                   "Введите другое название.";
        }
    }
    for (char c : name) {
        if (c == '\n' || c == '\r') {
            return std::string("Название не может содержать перевод строки.");
        }
    }
    // The reader takes a 0x1A at the start of a line as the end of the file.
    if (!name.empty() && name.front() == '\x1A') {
        return std::string("Название не может начинаться с символа конца файла (Ctrl+Z).");
    }
    if (Utf8ToCp1251(name)) return std::nullopt;

    // Name the first character that the file's code page cannot hold.
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = SequenceLength(static_cast<unsigned char>(name[i]));
        const std::string_view one = name.substr(i, length);
        if (!Utf8ToCp1251(one)) {
            return "Символ «" + std::string(one) +
                   "» нельзя сохранить в файле каталога (кодировка Windows-1251). "
                   "Уберите его из названия.";
        }
        i += length;
    }
    return std::string("Название нельзя сохранить в файле каталога (кодировка Windows-1251).");
}

}  // namespace kelm
