// Writing a whole file so that a crash or a full disk never leaves half of
// it under its name: the bytes go to a scratch file beside it, are flushed
// to disk, and the scratch file is renamed over the name in one step. On a
// failure the scratch file is removed and the old file is untouched.
#pragma once

#include <string>
#include <string_view>

namespace calixo {

// Writes every byte of bytes to fd, going on after interruptions. 0, or the
// errno of the failure (ENOSPC when the disk takes no more).
int writeAll(int fd, std::string_view bytes);

// Replaces the file at path by bytes through path + scratchSuffix. 0, or the
// errno of the failed step.
int replaceFile(const std::string &path, std::string_view bytes,
                const std::string &scratchSuffix = ".part");

}  // namespace calixo
