// GBK, the code page of every text the program stores. Files keep GBK bytes
// exactly; text is converted only where it meets the user (the windows, via
// the Qt helpers in platform_widgets) or a UTF-8 tool (dbfdump).
#pragma once

#include <string>
#include <string_view>

namespace calixo {

// UTF-8 -> GBK. False (and out left partial) when a character has no GBK form.
bool utf8ToGbk(std::string_view utf8, std::string &out);
// GBK -> UTF-8; a byte sequence that is not GBK becomes U+FFFD.
std::string gbkToUtf8(std::string_view gbk);
// The longest prefix of gbk of at most maxBytes bytes that does not end inside
// a two-byte character.
std::string_view cutGbk(std::string_view gbk, size_t maxBytes);

}  // namespace calixo
