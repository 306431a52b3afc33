#include "handler/LineReader.h"

#include <cstring>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// First CR or LF in [data, data + n), or null. Two memchr passes beat a
// byte loop: line feeds are found with wide loads and carriage returns are
// only looked for in front of the line feed.
const char* FindTerminator(const char* data, size_t n) {
  const char* lf = static_cast<const char*>(std::memchr(data, kLf, n));
  size_t span = lf != nullptr ? static_cast<size_t>(lf - data) : n;
  const char* cr = static_cast<const char*>(std::memchr(data, kCr, span));
  return cr != nullptr ? cr : lf;
}

// After a carriage return: takes a line feed that directly follows it, even
// when it lies beyond the buffered bytes. Any other byte stays unread.
void SkipLineFeedAfterCr(ZYFile& file) {
  const char* data = nullptr;
  if (file.peek(&data) > 0 && data[0] == kLf) file.consume(1);
}

}  // namespace

bool ReadNextRawLine(ZYFile& file, std::string& line) {
  line.clear();
  if (!file.isOpened()) return false;
  for (;;) {
    const char* data = nullptr;
    long long n = file.peek(&data);
    if (n < 0) return false;
    if (n == 0) return !line.empty();
    size_t available = static_cast<size_t>(n);
    const char* end = FindTerminator(data, available);
    if (end == nullptr) {
      // The line goes on past the buffered bytes: keep them and refill.
      line.append(data, available);
      file.consume(available);
      continue;
    }
    size_t length = static_cast<size_t>(end - data);
    line.append(data, length);
    char terminator = *end;
    file.consume(length + 1);
    if (terminator == kCr) SkipLineFeedAfterCr(file);
    return true;
  }
}
