// Replacing a file so that readers see either the old or the new content,
// never a partial one: the data goes to a temporary file in the same
// directory, is flushed to disk and renamed over the target. Internal to
// the host library.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace zyhost {

// Writes `data` to `path` with permission bits `mode`. On any failure the
// temporary file is removed, `path` is left as it was and false returned;
// a `path` that exists as anything but a regular file (a link) is a failure.
bool WriteFileAtomically(const std::string& path, const std::string& data, mode_t mode);

// The same, for content produced piece by piece: `produce` writes into the
// temporary file's descriptor (WriteAll) and returns false on failure.
bool WriteFileAtomically(const std::string& path, mode_t mode, const std::function<bool(int fd)>& produce);

// Writes all of `size` bytes to `fd`, retrying on EINTR.
bool WriteAll(int fd, const char* data, size_t size);

}  // namespace zyhost
