// File names as the program's original desktop treats them: every name is
// relative to the current directory and letters match regardless of case, so
// "TIMELIST.dbf", "TimeList.dbf" and "TIMELIST.DBF" are one file. Every file
// operation of the program goes through resolveFileName first.
#pragma once

#include <string>

namespace calixo {

// The path of the existing file whose name matches name's last component
// case-insensitively (ASCII letters) in name's directory; an exact match wins.
// When none exists, name itself, so a new file takes the name as given.
std::string resolveFileName(const std::string &name);

bool fileExists(const std::string &name);
// 0 on success, else errno.
int removeFile(const std::string &name);
// Renames from over to in one step (an existing file of to's name is replaced).
// 0 on success, else errno.
int renameFile(const std::string &from, const std::string &to);

}  // namespace calixo
