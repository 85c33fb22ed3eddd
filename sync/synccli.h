// `calixo --sync URL [--user NAME] [--password-stdin]`: one sync run of the
// data folder (the current directory) with the calendar at URL, with no
// display. The user comes from --user or [Sync] User of Calixo.ini; the
// password from standard input with --password-stdin, else from the
// desktop's Secret Service. Prints what it did and exits 0, or prints why
// not and exits 1 (2 for a usage error).
#pragma once

namespace calixo::sync {

// The command's exit status when argv holds it; -1 otherwise.
int RunSyncCommand(int argc, char **argv);

}  // namespace calixo::sync
