#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelm {

// The files keep their text in Windows-1251; messages and the widgets speak UTF-8.
std::string Cp1251ToUtf8(std::string_view bytes);
// Each byte is one UTF-16 unit: writes bytes.size() units to out.
void Cp1251ToUtf16(std::string_view bytes, char16_t* out);
// Nothing when the text is not valid UTF-8 or has a character Windows-1251 cannot hold.
std::optional<std::string> Utf8ToCp1251(std::string_view text);

}  // namespace kelm
