// The command-line side of iCalendar: `calixo --export-ics FILE [--rscale]`
// and `calixo --import-ics FILE`, run in the data folder with no display.
#pragma once

#include <ostream>
#include <string>

namespace calixo::ics {

// Writes the data folder's plans, archived plans and anniversaries to file;
// what it did goes to out, a failure (naming the file and why) to err.
// 0 done, 1 failed.
int exportFile(const std::string &file, bool rscale, std::ostream &out, std::ostream &err);
// Adds the events of file to the tables, as --import-ics does; out lists what
// was added and what was not.
int importFile(const std::string &file, std::ostream &out, std::ostream &err);

// Runs the command when argv holds one and returns its exit status (0, 1 for
// a failure, 2 for a usage error); -1 when argv holds no such command.
int RunIcsCommand(int argc, char **argv);

}  // namespace calixo::ics
