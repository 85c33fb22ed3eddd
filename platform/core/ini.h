// Our profile-string reader: reads one value of an INI file the way the
// program's original desktop did. Sections and keys match regardless of
// case, ";" lines are comments, values are cut to 300 bytes, and a missing
// file, section or key gives the default. Bytes are returned unchanged (GBK).
//
// The finer rules, chosen to match that reader where it matters to users:
// - Lines end at LF, CR LF or a lone CR. Blanks (space, tab) around section
//   names, keys and values are dropped; a value wrapped in a pair of matching
//   quotes (" or ') loses them, so paths with blanks may be quoted.
// - Letter case is folded for ASCII letters only; other bytes match exactly.
// - GBK trail bytes may be '[', '\' or ']': a section header ends at the
//   first ']' that is not the second byte of a two-byte character, and
//   nothing inside a value is ever interpreted.
// - A section that appears twice is read as one: the first matching key in
//   file order wins, also over later duplicates of the key.
// - Lines before the first section header, lines without "=" and lines with
//   an empty key belong to no key and are skipped.
// - A UTF-8 byte order mark at the start of the file is skipped.
// - The result, the default included, is at most 300 bytes, cut so that it
//   never ends in the first half of a two-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace calixo {

// The longest value ReadProfileString returns, in bytes.
inline constexpr std::size_t kProfileValueMax = 300;
// A settings file longer than this is no settings file (the template is 1 KB):
// it reads as missing rather than being read whole.
inline constexpr long long kSettingsFileMax = 1 << 20;

std::string ReadProfileString(const std::string &section, const std::string &key,
                              const std::string &defaultValue, const std::string &fileName);

// The same lookup on the bytes of an INI file already in memory (what
// ReadProfileString does after reading the file): defaultValue when the
// section or key is missing. The fuzz target and the tests use it directly.
std::string profileStringFromText(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view defaultValue);

}  // namespace calixo
