#include "handler/FormAReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

using testsupport::TempDir;
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
  auto take = [&](const DsmRecord& record) {
    raw.push_back(record.raw);
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
