// Our profile-string reader: reads one value of an INI file the way the
// program's original desktop did. Sections and keys match regardless of
// case, ";" lines are comments, values are cut to 300 bytes, and a missing
// file, section or key gives the default. Bytes are returned unchanged (GBK).
#pragma once

#include <string>

namespace calixo {

std::string ReadProfileString(const std::string &section, const std::string &key,
                              const std::string &defaultValue, const std::string &fileName);

}  // namespace calixo
