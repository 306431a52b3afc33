#include "host/ZYFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr size_t kBufferSize = 256 * 1024;
constexpr size_t kMinBufferSize = 4096;

// A buffer as large as the file (a 20 KB output file needs no 256 KiB),
// within bounds; files of unknown size get the largest.
size_t BufferSizeFor(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return kBufferSize;
  size_t wanted = static_cast<size_t>(st.st_size) + 1;  // + 1: the end is seen in the same read
  return wanted < kMinBufferSize ? kMinBufferSize : (wanted > kBufferSize ? kBufferSize : wanted);
}
}  // namespace

ZYFile::ZYFile() = default;

ZYFile::~ZYFile() { close(); }

int ZYFile::open(const std::string& path, int, int, int) {
  close();
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    lastError_ = errno;
    return lastError_;
  }
  fd_ = fd;
  lastError_ = 0;
  size_t size = BufferSizeFor(fd);
  if (bufferSize_ < size) {
    buffer_.reset(new char[size]);  // not zeroed: every byte read is written by read() first
    bufferSize_ = size;
  }
  begin_ = end_ = 0;
  bufferFileOffset_ = 0;
  return 0;
}

void ZYFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  begin_ = end_ = 0;
  bufferFileOffset_ = 0;
}

long long ZYFile::fill() {
  if (fd_ < 0) return -1;
  bufferFileOffset_ += static_cast<long long>(end_);
  begin_ = end_ = 0;
  for (;;) {
    ssize_t n = ::read(fd_, buffer_.get(), bufferSize_);
    if (n >= 0) {
      end_ = static_cast<size_t>(n);
      return n;
    }
    if (errno != EINTR) {
      lastError_ = errno;
      return -1;
    }
  }
}

long long ZYFile::peek(const char** data) {
  if (fd_ < 0) return -1;
  if (begin_ == end_) {
    long long n = fill();
    if (n <= 0) return n;
  }
  *data = buffer_.get() + begin_;
  return static_cast<long long>(end_ - begin_);
}

void ZYFile::consume(size_t n) {
  size_t available = end_ - begin_;
  begin_ += n < available ? n : available;
}

long long ZYFile::read(void* buffer, size_t size) {
  size_t copied = 0;
  char* out = static_cast<char*>(buffer);
  while (copied < size) {
    const char* data = nullptr;
    long long n = peek(&data);
    if (n < 0) return copied > 0 ? static_cast<long long>(copied) : -1;
    if (n == 0) break;
    size_t take = static_cast<size_t>(n) < size - copied ? static_cast<size_t>(n) : size - copied;
    std::memcpy(out + copied, data, take);
    consume(take);
    copied += take;
  }
  return static_cast<long long>(copied);
}

int ZYFile::seek(long long offset, int origin) {
  if (fd_ < 0) return -1;
  long long current = bufferFileOffset_ + static_cast<long long>(begin_);
  long long target;
  if (origin == 0) {
    target = offset;
  } else if (origin == 1) {
    target = current + offset;
  } else {
    off_t size = ::lseek(fd_, 0, SEEK_END);
    if (size < 0) {
      lastError_ = errno;
      return -1;
    }
    target = static_cast<long long>(size) + offset;
    begin_ = end_ = 0;  // the descriptor moved: the buffer no longer matches
    bufferFileOffset_ = size;
  }
  if (target < 0) return -1;
  // Inside the buffer: a memory operation.
  if (target >= bufferFileOffset_ && target <= bufferFileOffset_ + static_cast<long long>(end_)) {
    begin_ = static_cast<size_t>(target - bufferFileOffset_);
    return 0;
  }
  if (::lseek(fd_, static_cast<off_t>(target), SEEK_SET) < 0) {
    lastError_ = errno;
    return -1;
  }
  bufferFileOffset_ = target;
  begin_ = end_ = 0;
  return 0;
}
