#include <gtest/gtest.h>

#include <tuple>

#include "host/CForeignCmdExecBase.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(SplitLineTest, CombinationsInUse) {
  // separator, second, quote (opens and closes), line, tokens
  const std::tuple<char, char, char, std::string, Tokens> cases[] = {
      // Comma output lines.
      {',', '\n', '"', R"("NODE1","Linux","a,b",5)", {"NODE1", "Linux", "a,b", "5"}},
      {',', '\n', '"', "a,", {"a", ""}},
      {',', '\n', '"', "", {}},
      {',', '\n', '"', R"("say ""hi""",x)", {"say \"hi\"", "x"}},
      {',', '\n', '"', R"("""",x)", {"\"", "x"}},
      {',', '\n', '"', R"("open,to end)", {"open,to end"}},
      {',', '\n', '"', R"("a"b,c)", {"ab", "c"}},
      {',', '\n', '"', R"(x"y,z")", {"x\"y", "z\""}},
      // Objects column and association node list.
      {' ',
       0,
       '"',
       R"(C:\Users "C:\Program Files\App" /home)",
       {"C:\\Users", "C:\\Program Files\\App", "/home"}},
      {' ', 0, '"', "N1  N2", {"N1", "", "N2"}},
      {',', '"', '"', R"("C:\data\*","D:\x y",E:\)", {"C:\\data\\*", "D:\\x y", "E:\\"}},
      // Select output: backslashes and quotes are data.
      {',', '\\', 0, R"(LIB1,C:\dir\file,"q",)", {"LIB1", "C:\\dir\\file", "\"q\"", ""}},
      {',', '\\', 0, R"(\\server\share\,x)", {"\\\\server\\share\\", "x"}},
  };
  for (const auto& [separator, second, quote, line, expected] : cases) {
    SCOPED_TRACE("line [" + line + "] separator [" + separator + "] quote " + std::to_string(quote));
    Tokens tokens = {"left", "over"};
    CForeignCmdExecBase::SplitLine(line, tokens, separator, second, quote, quote);
    EXPECT_EQ(expected, tokens);
  }
}

// The cases of real commands are in cmdexec_test.cpp, run by a program.
TEST(SplitCommandLineTest, QuotesAndBlanks) {
  const std::pair<std::string, Tokens> cases[] = {
      {R"("/opt/tsm bin/dsmadmc" -id=a)", {"/opt/tsm bin/dsmadmc", "-id=a"}},
      {"  a\t b  ", {"a", "b"}},
      {R"(a"b c"d'e f'g)", {"ab cde fg"}},
      {R"(say 'it"s' "it's")", {"say", "it\"s", "it's"}},
      {R"(x "" y)", {"x", "", "y"}},
      {R"(C:\dir\file a\ b)", {"C:\\dir\\file", "a\\", "b"}},
      {R"(unterminated "rest of line)", {"unterminated", "rest of line"}},
      {"q |cat >out &&rm", {"q", "|cat", ">out", "&&rm"}},
      {"", {}},
  };
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE("[" + line + "]");
    EXPECT_EQ(expected, CForeignCmdExecBase::SplitCommandLine(line));
  }
}

TEST(MaskCommandLineTest, HidesEveryPasswordValue) {
  const std::pair<std::string, std::string> cases[] = {
      {"dsmadmc -id=a -password=Secr3t -outfile=x q", "dsmadmc -id=a -password=**** -outfile=x q"},
      {"dsmadmc -PASSWORD=Secr3t q", "dsmadmc -PASSWORD=**** q"},
      {R"(dsmadmc "-password=Se cr3t" q)", R"(dsmadmc "-password=****" q)"},
      {R"(dsmadmc -password="Se cr3t"x q)", "dsmadmc -password=**** q"},
      {R"(dsmadmc -password='Se"cr3t' q)", "dsmadmc -password=**** q"},
      {"a -password=Secr3t b -Password=Secr3t", "a -password=**** b -Password=****"},
      {"dsmadmc -id=a q \"it's\"", "dsmadmc -id=a q \"it's\""},
  };
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE("[" + line + "]");
    EXPECT_EQ(expected, CForeignCmdExecBase::MaskCommandLine(line));
  }
}

}  // namespace
