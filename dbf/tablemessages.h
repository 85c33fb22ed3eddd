// What the program tells the user about a table file, in the program's own
// words (UTF-8): a change that could not be stored, a table that may only be
// read, a table whose last record is cut short. The time table and the memo
// table both use them, so the user reads one wording for both files.
#pragma once

#include <exception>
#include <string>

namespace dbf::tablemessages {

// "<what>没有保存。" and, on the next line, the file and the reason: the
// system's reason for a failed file call, else the error's own text after
// the table's path.
std::string storeFailed(const char *what, const std::string &path, const std::exception &e);
// The same for a table that could not be opened (that was said at start).
std::string storeFailedNotOpen(const char *what, const std::string &path);
std::string readOnly(const std::string &path);
std::string damagedEnd(const std::string &path);

}  // namespace dbf::tablemessages
