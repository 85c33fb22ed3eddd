// switchwriter: stores the values of feature switches (switches.h) in
// Calixo.ini for the 设置 dialog. Only the lines of those keys change: a key
// already present keeps its place and gets the new value, a missing key is
// added at the end of its section, a missing section after everything else.
// The 43 template lines, comments, unknown keys and sections and the GBK bytes
// of every other line stay exactly as they were. Plain C++.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace calixo {

struct SSwitchValue {
  std::string Section;
  std::string Key;
  std::string Value;
};

// The file's new bytes. An empty file becomes the template first, so that
// the file the program writes always starts with it.
std::string WithSwitchValues(std::string_view file, const std::vector<SSwitchValue> &values);

// Reads fileName (a missing file reads as empty), applies WithSwitchValues
// and replaces the file in one step through a temporary file beside it.
// False with error naming the file and the reason when it cannot.
bool WriteSwitchValues(const std::string &fileName, const std::vector<SSwitchValue> &values,
                       std::string &error);

}  // namespace calixo
