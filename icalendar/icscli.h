// The command-line side of iCalendar: `calixo --export-ics FILE [--rscale]`
// and `calixo --import-ics FILE`, run in the data folder with no display.
#pragma once

namespace calixo::ics {

// Runs the command when argv holds one and returns its exit status (0, 1 for
// a failure, 2 for a usage error); -1 when argv holds no such command.
int RunIcsCommand(int argc, char **argv);

}  // namespace calixo::ics
