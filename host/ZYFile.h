// Read access to a file with an internal buffer, so that reading small
// pieces and seeking back inside what was read are memory operations.
// The destructor closes the file. Not copyable.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/ZyHostApi.h"

class ZYHOST_API ZYFile {
 public:
  ZYFile();
  ~ZYFile();
  ZYFile(const ZYFile&) = delete;
  ZYFile& operator=(const ZYFile&) = delete;

  // Opens for reading; 0 on success, else an errno value (also kept for
  // getLastError()). The three flags are the host's and are ignored.
  int open(const std::string& path, int mode = 0, int share = 0, int flags = 0);
  bool isOpened() const { return fd_ >= 0; }
  void close();

  // Bytes copied into `buffer`: 0 at the end, negative on error.
  long long read(void* buffer, size_t size);
  // Moves the position; origin 0 from the start, 1 from the current
  // position, 2 from the end. 0 on success, -1 on error.
  int seek(long long offset, int origin);
  // 0 while no error occurred.
  int getLastError() const { return lastError_; }

  // Zero-copy access for line readers: points `data` at the buffered bytes
  // from the current position and returns their count, refilling the
  // buffer when it is used up. 0 at the end, negative on error.
  long long peek(const char** data);
  // Advances the position by n bytes (n at most what peek returned).
  void consume(size_t n);

 private:
  long long fill();

  int fd_ = -1;
  int lastError_ = 0;
  std::unique_ptr<char[]> buffer_;  // bufferSize_ bytes, kept across opens
  size_t bufferSize_ = 0;
  size_t begin_ = 0;                // current position inside buffer_
  size_t end_ = 0;                  // valid bytes in buffer_
  long long bufferFileOffset_ = 0;  // file offset of buffer_[0]
};
