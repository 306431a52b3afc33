#include "handler/FormAReader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

using testsupport::TempDir;
using Records = std::vector<std::vector<std::string>>;

const char kHeader[] = "IBM header\nCommand Line Administrative Interface\n\nSession established\n";

TEST(FormAReaderTest, HeaderSkipAndEnd) {
  const std::tuple<const char*, std::string, bool, Records> cases[] = {
      {"headed", std::string(kHeader) + "a,b\nc,d\n", false, {{"a", "b"}, {"c", "d"}}},
      {"headed, node rule", std::string(kHeader) + "a,b\n", true, {{"a", "b"}}},
      {"no header, node rule", "a,b\nc,d\n", true, {{"a", "b"}, {"c", "d"}}},
      {"no header, schedule rule", "a,b\nc,d\n1\n2\ne,f\n", false, {{"e", "f"}}},
      {"empty line ends the file", std::string(kHeader) + "a,b\n\nc,d\n", false, {{"a", "b"}}},
      {"quoted separator", "x,\"q,r\",,z\n", true, {{"x", "q,r", "", "z"}}},
      {"empty file", "", false, {}},
  };
  TempDir dir;
  for (const auto& [name, content, nodeRule, expected] : cases) {
    SCOPED_TRACE(name);
    testsupport::WriteFile(dir.file("out.txt"), content);
    FormAReadOptions options;
    options.headerlessWhenMultiToken = nodeRule;
    Records records;
    EXPECT_TRUE(ReadFormAFile(dir.file("out.txt"), options, [&](const auto& tokens, const std::string&) {
      records.push_back(tokens);
      return true;
    }));
    EXPECT_EQ(expected, records);
  }
}

TEST(FormAReaderTest, RawLinesStopAndLogLines) {
  TempDir dir;
  const std::string path = dir.file("ixr_node.txt");
  testsupport::WriteFile(path, "a,\"b\"\r\nc\nd\n");
  testsupport::LogCapture log;
  FormAReadOptions options;
  options.function = "CTSMClients::_ParseData";
  options.jobId = 77;
  options.logStart = true;
  options.headerlessWhenMultiToken = true;
  std::vector<std::string> raw;
  auto take = [&](const std::vector<std::string>&, const std::string& line) {
    raw.push_back(line);
    return raw.size() != 2;  // stops the first read at its second line
  };
  EXPECT_FALSE(ReadFormAFile(path, options, take));
  EXPECT_EQ((std::vector<std::string>{"a,\"b\"", "c"}), raw);
  EXPECT_TRUE(ReadFormAFile(path, options, take));
  EXPECT_FALSE(ReadFormAFile(dir.file("missing.txt"), options, take));
  EXPECT_FALSE(ReadFormAFile(dir.path(), options, take));  // a directory: the read fails
  for (const std::string& line :
       {"Start processing file [" + path + "].",
        "Processing file [" + path + "] pass #1 suceeded. Error code [0].",
        "job=77 lvl=1 [CTSMClients::_ParseData] Unable to open file [" + dir.file("missing.txt") + "]",
        "Processing file [" + dir.path() + "] pass #1 failed. Error code [",
        std::string("CTSMClients::_ParseData")}) {
    EXPECT_NE(std::string::npos, log.text().find(line)) << line;
  }
}

}  // namespace
