// A whole file mapped read-only, for tools that walk large hand-over files
// once (a large site's client list is a hundred megabytes). Owns the
// mapping for its lifetime; empty (data() null, size() 0) when the file
// cannot be opened or mapped, or is empty. Not copyable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace toolcommon {

class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const char* data() const { return data_; }
  size_t size() const { return size_; }
  std::string_view text() const { return {data_, size_}; }

  // Gives back the resident pages before `offset` (they read the same
  // again if touched), a few megabytes at a time, so a file walked once
  // does not stay in memory.
  void ForgetBefore(size_t offset) const;

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
  mutable size_t released_ = 0;
};

}  // namespace toolcommon
