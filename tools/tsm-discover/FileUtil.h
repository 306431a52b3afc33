// Small file-system helpers of tsm-discover. All return false (or an
// empty string) on failure and never throw.
#pragma once

#include <string>
#include <vector>

namespace tsmdiscover {

// `path` made absolute against the current directory (no symlink
// resolution); empty stays empty.
std::string AbsolutePath(const std::string& path);
std::string WithSlash(const std::string& dir);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);
bool IsExecutable(const std::string& path);
// mkdir -p.
bool MakeDirectories(const std::string& dir);
// True when a file can be created in `dir` (tries one and removes it).
bool IsWritableDirectory(const std::string& dir);
bool ReadWholeFile(const std::string& path, std::string* content);
// At most `limit` bytes from the start of a regular file (not through a
// link).
bool ReadFileStart(const std::string& path, size_t limit, std::string* content);
// Empty when `path` is a regular file that can be opened for reading;
// otherwise what is wrong ("does not exist", "is not a regular file",
// "cannot be read: <reason>"), for an error message.
std::string ReadableFileProblem(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);
// Writes `content` to a temporary file made by mkstemp beside `path` and
// renames it over `path`, which must be a regular file or absent: no link
// is followed or replaced. False with the reason in *error.
bool ReplaceFile(const std::string& path, const std::string& content, std::string* error);
// Copies a regular file, keeping its permission bits.
bool CopyFile(const std::string& from, const std::string& to);
// Copies the regular files of `from` (not recursive) into `to`.
bool CopyDirectoryFiles(const std::string& from, const std::string& to);
// Sorted names of the entries of `dir`, without . and ..
std::vector<std::string> ListDirectory(const std::string& dir);
// A fresh directory from a mkdtemp pattern under $TMPDIR or /tmp.
std::string MakeTempDirectory(const std::string& prefix);

}  // namespace tsmdiscover
