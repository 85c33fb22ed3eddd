// dbfdump: prints a table file as JSON lines -- the header first, then every
// record in physical order, deleted ones included. Character fields are GBK on
// disk and printed as UTF-8; numeric fields as the stored text and as a number.
// A record's fields are printed in file order under their names, so a name
// that a foreign file gives two fields appears twice, each with its own value.
#pragma once

#include <iosfwd>
#include <string>

namespace calixo {

// Writes the dump of the table at path to out. Throws what the engine throws
// when it refuses the file.
void dumpTable(const std::string &path, std::ostream &out);

// s as a JSON string literal, quotes included (s is UTF-8).
std::string jsonString(const std::string &s);

}  // namespace calixo
