#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/CForeignCmdExecBase.h"

namespace {

using Tokens = std::vector<std::string>;

struct SplitCase {
  char separator, second, open, close;
  std::string line;
  Tokens expected;
};

TEST(SplitLineTest, CombinationsInUse) {
  const SplitCase cases[] = {
      // Form A output lines.
      {',', '\n', '"', '"', R"("NODE1","Linux","a,b",5)", {"NODE1", "Linux", "a,b", "5"}},
      {',', '\n', '"', '"', "a,,b", {"a", "", "b"}},
      {',', '\n', '"', '"', "a,", {"a", ""}},
      {',', '\n', '"', '"', ",", {"", ""}},
      {',', '\n', '"', '"', "", {}},
      {',', '\n', '"', '"', R"("say ""hi""",x)", {"say \"hi\"", "x"}},
      {',', '\n', '"', '"', R"("""",x)", {"\"", "x"}},
      {',', '\n', '"', '"', R"("",x)", {"", "x"}},
      {',', '\n', '"', '"', R"("open,to end)", {"open,to end"}},
      {',', '\n', '"', '"', R"("a"b,c)", {"ab", "c"}},
      {',', '\n', '"', '"', R"(x"y,z")", {"x\"y", "z\""}},
      // Objects column and association node list.
      {' ',
       0,
       '"',
       '"',
       R"(C:\Users "C:\Program Files\App" /home)",
       {"C:\\Users", "C:\\Program Files\\App", "/home"}},
      {' ', 0, '"', '"', "N1 N2", {"N1", "N2"}},
      {' ', 0, '"', '"', "N1  N2", {"N1", "", "N2"}},
      // Objects column of the per-node schedule output.
      {',', '"', '"', '"', R"("C:\data\*","D:\x y",E:\)", {"C:\\data\\*", "D:\\x y", "E:\\"}},
      {',', '"', '"', '"', "", {}},
      // Select output: backslashes and quotes are data.
      {',', '\\', 0, 0, R"(LIB1,C:\dir\file,"q",)", {"LIB1", "C:\\dir\\file", "\"q\"", ""}},
      {',', '\\', 0, 0, R"(\\server\share\,x)", {"\\\\server\\share\\", "x"}},
      // Version line, DB2 output, value lists.
      {',', 0, 0, 0, "7,1", {"7", "1"}},
      {',', 0, 0, 0, ",DB1", {"", "DB1"}},
      {',', 0, 0, 0, "single", {"single"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE("line [" + c.line + "] separator [" + std::string(1, c.separator) + "] open [" +
                 std::string(c.open != 0 ? 1 : 0, c.open) + "]");
    Tokens tokens = {"left", "over"};
    CForeignCmdExecBase::SplitLine(c.line, tokens, c.separator, c.second, c.open, c.close);
    EXPECT_EQ(c.expected, tokens);
  }
}

struct CommandCase {
  std::string line;
  Tokens expected;
};

TEST(SplitCommandLineTest, QuotesAndBlanks) {
  const CommandCase cases[] = {
      {R"("/opt/tsm bin/dsmadmc" -id=admin -comma 'query association D S')",
       {"/opt/tsm bin/dsmadmc", "-id=admin", "-comma", "query association D S"}},
      {R"(dsmadmc -comma "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB 1'")",
       {"dsmadmc", "-comma", "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB 1'"}},
      // An empty node filter leaves two blanks.
      {"dsmadmc -comma query node  format=detailed",
       {"dsmadmc", "-comma", "query", "node", "format=detailed"}},
      {"  a\t b  ", {"a", "b"}},
      {R"(a"b c"d'e f'g)", {"ab cde fg"}},
      {R"(say 'it"s' "it's")", {"say", "it\"s", "it's"}},
      {R"(x "" y)", {"x", "", "y"}},
      {R"(C:\dir\file a\ b)", {"C:\\dir\\file", "a\\", "b"}},
      {R"(unterminated "rest of line)", {"unterminated", "rest of line"}},
      // Shell syntax is data.
      {"dsmadmc query node ;touch X $(touch Y) `touch Z` |cat >out &&rm",
       {"dsmadmc", "query", "node", ";touch", "X", "$(touch", "Y)", "`touch", "Z`", "|cat", ">out", "&&rm"}},
      {"", {}},
      {"   ", {}},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE("[" + c.line + "]");
    EXPECT_EQ(c.expected, CForeignCmdExecBase::SplitCommandLine(c.line));
  }
}

TEST(MaskCommandLineTest, HidesEveryPasswordValue) {
  const CommandCase cases[] = {
      {"dsmadmc -id=a -password=Secr3t -outfile=x q", {"dsmadmc -id=a -password=**** -outfile=x q"}},
      {"dsmadmc -PASSWORD=Secr3t q", {"dsmadmc -PASSWORD=**** q"}},
      {R"(dsmadmc "-password=Se cr3t" q)", {R"(dsmadmc "-password=****" q)"}},
      {R"(dsmadmc -password="Se cr3t"x q)", {"dsmadmc -password=**** q"}},
      {R"(dsmadmc -password='Se"cr3t' q)", {"dsmadmc -password=**** q"}},
      {"dsmadmc -password=Secr3t", {"dsmadmc -password=****"}},
      {"dsmadmc -password=", {"dsmadmc -password=****"}},
      {"a -password=Secr3t b -Password=Secr3t", {"a -password=**** b -Password=****"}},
      {"dsmadmc -id=a q \"it's\"", {"dsmadmc -id=a q \"it's\""}},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE("[" + c.line + "]");
    std::string masked = CForeignCmdExecBase::MaskCommandLine(c.line);
    EXPECT_EQ(c.expected[0], masked);
    EXPECT_EQ(std::string::npos, masked.find("cr3t"));
  }
}

}  // namespace
