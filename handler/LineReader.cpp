#include "handler/LineReader.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// First CR or LF in [data, data + n), or null. Lines are short, so the
// scan is inline and tests 16 bytes at a time for both terminators.
const char* FindTerminator(const char* data, size_t n) {
  const char* p = data;
  const char* end = data + n;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8(kCr);
  const __m128i lf = _mm_set1_epi8(kLf);
  for (; end - p >= 16; p += 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf));
    int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; p < end; ++p) {
    if (*p == kCr || *p == kLf) return p;
  }
  return nullptr;
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
