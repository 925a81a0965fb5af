// Writing files so that a crash, a kill or a full disk never leaves a half-written one behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrin {

// "what: reason" for an errno value.
std::string ErrnoText(const std::string &what, int error);
// Writes all of data to fd; false (errno set) when it could not.
bool WriteAll(int fd, const uint8_t *data, size_t size);
// Makes a rename or a new file in path's folder durable.
void SyncFolderOf(const std::string &path);
// Replaces path with data through a new temporary file beside it (created exclusively, never
// through a link someone planted), flushed, given the old file's permissions and renamed over
// it; the old file stays whole on any failure. On failure returns false and, when error is
// given, the reason.
bool ReplaceFileDurably(const std::string &path, const uint8_t *data, size_t size, std::string *error = nullptr);

}  // namespace tavrin
