#include "handler/LineReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/ZYFile.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

constexpr size_t kFileBuffer = 256 * 1024;  // ZYFile's buffer
constexpr size_t kChunk = 8191;             // the historical read size

// Byte-at-a-time model of the reader: CR LF, LF or a lone CR end a line.
std::vector<std::string> ModelLines(const std::string& content) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < content.size(); ++i) {
    char c = content[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

std::vector<std::string> ReadAll(const std::string& path) {
  ZYFile file;
  EXPECT_EQ(0, file.open(path, 0, 0, 0));
  std::vector<std::string> lines;
  std::string line = "stale";
  while (ReadNextRawLine(file, line)) lines.push_back(line);
  EXPECT_TRUE(line.empty());
  EXPECT_EQ(0, file.getLastError());
  return lines;
}

std::vector<std::string> ReadContent(const TempDir& dir, const std::string& content) {
  std::string path = dir.file("lines.txt");
  WriteFile(path, content);
  return ReadAll(path);
}

// Short printable description of a case for failure messages.
std::string Show(const std::string& content) {
  std::string out;
  for (char c : content.substr(0, 40)) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  return out + (content.size() > 40 ? "...(" + std::to_string(content.size()) + " bytes)" : "");
}

TEST(LineReaderTest, TerminatorsAndEmptyLines) {
  struct Case {
    std::string content;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},  // a lone CR keeps the byte after it
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"\n\n\nx", {"", "", "", "x"}},
      {"\r\n", {""}},
      {"no terminator", {"no terminator"}},
      {"", {}},
      {std::string("nul\0byte\n", 9), {std::string("nul\0byte", 8)}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content));
    EXPECT_EQ(c.lines, ReadContent(dir, c.content));
  }
}

// Terminators at and around the old chunk size and the file buffer size,
// lines spanning several buffers, CR LF pairs split by a refill.
TEST(LineReaderTest, BufferBoundaries) {
  TempDir dir;
  for (size_t boundary : {kChunk, kChunk + 1, kFileBuffer, 2 * kFileBuffer}) {
    for (int delta = -2; delta <= 1; ++delta) {
      for (const char* terminator : {"\n", "\r\n", "\r", "\rx"}) {
        std::string content(boundary + delta - 1, 'a');
        content += terminator;
        content += "next\r\nlast";
        SCOPED_TRACE("boundary " + std::to_string(boundary) + " delta " + std::to_string(delta) + " " +
                     Show(terminator));
        EXPECT_EQ(ModelLines(content), ReadContent(dir, content));
      }
    }
  }
}

TEST(LineReaderTest, LongLinesAreWhole) {
  TempDir dir;
  for (size_t length : {size_t{20000}, 3 * kChunk + 5, kFileBuffer + 1, 3 * kFileBuffer + 17}) {
    SCOPED_TRACE(length);
    std::string line(length, 'x');
    line[length / 2] = 'm';
    std::vector<std::string> lines = ReadContent(dir, "short\n" + line + "\r\nend");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(line, lines[1]);
    EXPECT_EQ("end", lines[2]);
  }
}

// Many short and long lines with mixed terminators, compared with the model.
TEST(LineReaderTest, MixedFileMatchesModel) {
  std::string content;
  unsigned seed = 12345;
  const char* terminators[] = {"\n", "\r\n", "\r", "\n\n"};
  while (content.size() < 3 * kFileBuffer) {
    seed = seed * 1103515245u + 12345u;
    size_t length = (seed >> 8) % ((seed & 1) != 0 ? 200 : 20000);
    content.append(length, static_cast<char>('a' + seed % 26));
    content += terminators[(seed >> 4) % 4];
  }
  TempDir dir;
  EXPECT_EQ(ModelLines(content), ReadContent(dir, content));
}

TEST(LineReaderTest, LeavesFilePositionedAfterTerminator) {
  TempDir dir;
  for (size_t prefix : {size_t{1}, kFileBuffer - 1, kFileBuffer - 2}) {
    for (const std::string terminator : {"\n", "\r\n", "\r"}) {
      SCOPED_TRACE(std::to_string(prefix) + Show(terminator));
      std::string path = dir.file("pos.txt");
      WriteFile(path, std::string(prefix, 'p') + terminator + "XYZ");
      ZYFile file;
      ASSERT_EQ(0, file.open(path, 0, 0, 0));
      std::string line;
      ASSERT_TRUE(ReadNextRawLine(file, line));
      char rest[4] = {0};
      EXPECT_EQ(3, file.read(rest, 3));
      EXPECT_STREQ("XYZ", rest);
    }
  }
}

TEST(LineReaderTest, ClosedFileAndReadError) {
  ZYFile closed;
  std::string line = "old";
  EXPECT_FALSE(ReadNextRawLine(closed, line));
  EXPECT_TRUE(line.empty());

  TempDir dir;
  ZYFile directory;  // opening a directory works, reading it fails
  ASSERT_EQ(0, directory.open(dir.path(), 0, 0, 0));
  EXPECT_FALSE(ReadNextRawLine(directory, line));
  EXPECT_NE(0, directory.getLastError());
}

}  // namespace
