#include "handler/LineReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "host/ZYFile.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::TempDir;
using Lines = std::vector<std::string>;

constexpr size_t kFileBuffer = 256 * 1024;  // ZYFile's buffer
constexpr size_t kChunk = 8191;             // the historical read size

// The lines of `content`. A second read takes one line, then the rest with
// ZYFile::read, which must start right after that line's terminator.
Lines ReadContent(const TempDir& dir, const std::string& content) {
  testsupport::WriteFile(dir.file("lines.txt"), content);
  ZYFile file;
  EXPECT_EQ(0, file.open(dir.file("lines.txt"), 0, 0, 0));
  Lines lines;
  std::string line = "stale";
  while (ReadNextRawLine(file, line)) lines.push_back(line);
  EXPECT_TRUE(line.empty());
  EXPECT_EQ(0, file.getLastError());
  size_t next = content.find_first_of("\r\n");
  if (next == std::string::npos) return lines;
  next += content.compare(next, 2, "\r\n") == 0 ? 2 : 1;
  ZYFile again;
  EXPECT_EQ(0, again.open(dir.file("lines.txt"), 0, 0, 0));
  EXPECT_TRUE(ReadNextRawLine(again, line));
  std::string rest(content.size() - next, '\0');
  EXPECT_EQ(static_cast<long long>(rest.size()), again.read(&rest[0], rest.size()));
  EXPECT_EQ(content.substr(next), rest);
  return lines;
}

// Size and tail of a case for failure messages.
std::string Show(const std::string& content) {
  const size_t n = content.size();
  return std::to_string(n) + " bytes, ending " +
         testing::PrintToString(content.substr(n - std::min<size_t>(n, 24)));
}

// Terminators, empty lines, terminators at and around the old chunk size
// and the buffer size (CR LF pairs split by a refill), lines spanning
// several chunks and buffers; after the first line the file goes on right
// after its terminator.
TEST(LineReaderTest, Lines) {
  std::vector<std::pair<std::string, Lines>> cases = {
      {"a\r\nb\nc", {"a", "b", "c"}},                          // no final terminator
      {"a\rb\r\r\nc\n\r\nd\n", {"a", "b", "", "c", "", "d"}},  // a lone CR keeps the byte after it
      {"\n\n\nx\r", {"", "", "", "x"}},
      {"\r\n", {""}},
      {"", {}},
      {std::string("nul\0byte\n", 9), {std::string("nul\0byte", 8)}},
  };
  for (size_t boundary : {kChunk, kChunk + 1, kFileBuffer, 2 * kFileBuffer}) {
    for (size_t length = boundary - 3; length <= boundary; ++length) {
      const std::string line(length, 'a');
      for (const char* end : {"\n", "\r\n", "\r"})
        cases.push_back({line + end + "next\r\nlast", {line, "next", "last"}});
      cases.push_back({line + "\rx\n", {line, "x"}});
    }
  }
  for (size_t half : {3 * kChunk, kFileBuffer / 2 + 1, 2 * kFileBuffer}) {
    const std::string line = std::string(half, 'x') + "m" + std::string(half, 'y');
    cases.push_back({"short\n" + line + "\r\nend", {"short", line, "end"}});
  }
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(Show(c.first));
    EXPECT_EQ(c.second, ReadContent(dir, c.first));
  }
}

}  // namespace
