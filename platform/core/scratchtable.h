// The scratch table a compaction copies into. Each process has one of its
// own ("pp" and its process id), so two processes in one folder never write
// into one scratch file; those left behind by processes that no longer run
// (killed in the middle of a compaction) are removed before the next one.
#pragma once

#include <string>

namespace calixo {

// "pp12345": the table name of this process's scratch table.
std::string scratchTableName();
// Removes the scratch tables in the current directory ("pp<digits>.dbf",
// letters in any case) of processes that no longer run.
void removeLeftScratchTables();

}  // namespace calixo
