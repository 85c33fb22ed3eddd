// The bookkeeping of the last sync run: for the calendar's URL, per event
// its UID, href, ETag, row in the time table and the fingerprints of what the
// table and the server held. It lives in "caldav.sync" in the data folder, a
// text file of its own (UTF-8, one event a line, fields between tabs), and is
// replaced whole in one step. Plain C++.
#pragma once

#include "reconcile.h"

#include <string>
#include <vector>

namespace calixo::sync {

inline constexpr const char *kBookFile = "caldav.sync";

struct Book {
  std::string url;  // the calendar these entries belong to
  std::vector<BookEntry> entries;
};

// The file's text, and the text read back. False with error (naming the line
// and why) when the text is not such a file; nothing is guessed.
std::string BookText(const Book &book);
bool ParseBook(const std::string &text, Book &book, std::string &error);

// The file in the data folder: a missing file is an empty book; one that
// cannot be read or parsed is an error naming the file, and is left as it is.
bool LoadBook(const std::string &path, Book &book, std::string &error);
bool SaveBook(const std::string &path, const Book &book, std::string &error);

}  // namespace calixo::sync
