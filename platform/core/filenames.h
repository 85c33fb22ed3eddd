// File names as the program's original desktop treats them: every name is
// relative to the current directory and letters match regardless of case, so
// "TIMELIST.dbf", "TimeList.dbf" and "TIMELIST.DBF" are one file. Every file
// operation of the program goes through resolveFileName first.
#pragma once

#include <cstdint>
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

// Reads the whole file under name (resolved as above) into out. Only a
// regular file is read, and it is opened without blocking, so a FIFO or a
// device under the name never hangs the reader. Returns 0, or an errno value:
// ENODEV for something that is not a regular file, EFBIG for a file longer
// than maxBytes (far larger than any real one of its kind).
int readRegularFile(const std::string &name, std::string &out, uint64_t maxBytes);

// The largest picture file read (a month picture or a button bitmap): an
// uncompressed bitmap of a whole large screen is a tenth of it.
inline constexpr uint64_t kPictureFileMax = 64u << 20;

}  // namespace calixo
