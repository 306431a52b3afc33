#include "handler/FormAReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/handler/HandlerTestGuards.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::LogCapture;
using testsupport::TempDir;
using testsupport::WriteFile;

const char kHeader[] = "IBM header\nCommand Line Administrative Interface\n\nSession established\n";

struct Read {
  bool ok = false;
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> raw;
};

Read ReadContent(const TempDir& dir, const std::string& content, bool nodeRule) {
  std::string path = dir.file("out.txt");
  WriteFile(path, content);
  FormAReadOptions options;
  options.headerlessWhenMultiToken = nodeRule;
  Read result;
  result.ok =
      ReadFormAFile(path, options, [&](const std::vector<std::string>& tokens, const std::string& raw) {
        result.records.push_back(tokens);
        result.raw.push_back(raw);
        return true;
      });
  return result;
}

using Records = std::vector<std::vector<std::string>>;

TEST(FormAReaderTest, HeaderSkipAndEnd) {
  struct Case {
    const char* name;
    std::string content;
    bool nodeRule;
    Records records;
  };
  const Case cases[] = {
      {"headed", std::string(kHeader) + "a,b\nc,d\n", false, {{"a", "b"}, {"c", "d"}}},
      {"headed, node rule", std::string(kHeader) + "a,b\n", true, {{"a", "b"}}},
      {"no header, node rule", "a,b\nc,d\n", true, {{"a", "b"}, {"c", "d"}}},
      {"no header, schedule rule", "a,b\nc,d\n1\n2\ne,f\n", false, {{"e", "f"}}},
      {"empty line ends the file", std::string(kHeader) + "a,b\n\nc,d\n", false, {{"a", "b"}}},
      {"quoted separator", "x,\"q,r\",,z\n", true, {{"x", "q,r", "", "z"}}},
      {"only header", kHeader, false, {}},
      {"empty file", "", false, {}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Read read = ReadContent(dir, c.content, c.nodeRule);
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(c.records, read.records);
  }
}

TEST(FormAReaderTest, CallbackGetsRawLineAndCanStop) {
  TempDir dir;
  std::string path = dir.file("out.txt");
  WriteFile(path, "a,\"b\"\r\nc\nd\n");
  FormAReadOptions options;
  options.headerlessWhenMultiToken = true;
  std::vector<std::string> raw;
  bool ok = ReadFormAFile(path, options, [&](const std::vector<std::string>&, const std::string& line) {
    raw.push_back(line);
    return raw.size() < 2;
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ((std::vector<std::string>{"a,\"b\"", "c"}), raw);
}

TEST(FormAReaderTest, LogLines) {
  TempDir dir;
  std::string path = dir.file("ixr_node.txt");
  WriteFile(path, "a,b\n");
  LogCapture log;
  FormAReadOptions options;
  options.function = "CTSMClients::_ParseData";
  options.jobId = 77;
  options.logStart = true;
  options.headerlessWhenMultiToken = true;
  auto accept = [](const std::vector<std::string>&, const std::string&) { return true; };
  EXPECT_TRUE(ReadFormAFile(path, options, accept));
  EXPECT_FALSE(ReadFormAFile(dir.file("missing.txt"), options, accept));
  EXPECT_FALSE(ReadFormAFile(dir.path(), options, accept));  // a directory: the read fails

  std::string text = log.text();
  EXPECT_NE(std::string::npos, text.find("Start processing file [" + path + "]."));
  EXPECT_NE(std::string::npos, text.find("Processing file [" + path + "] pass #1 suceeded. Error code [0]."));
  EXPECT_NE(std::string::npos, text.find("Unable to open file [" + dir.file("missing.txt") + "]"));
  EXPECT_NE(std::string::npos,
            text.find("Processing file [" + dir.path() + "] pass #1 failed. Error code ["));
  EXPECT_NE(std::string::npos, text.find("CTSMClients::_ParseData"));
}

TEST(FormAReaderTest, FilePathUsesExistingFilesPrefix) {
  {
    handlertest::ScopedExistingFiles none(false, "");
    EXPECT_EQ("ixr_sched.txt", FormAFilePath("ixr_sched.txt"));
  }
  handlertest::ScopedExistingFiles gathered(true, "/gathered/");
  EXPECT_EQ("/gathered/ixr_sched.txt", FormAFilePath("ixr_sched.txt"));
}

}  // namespace
