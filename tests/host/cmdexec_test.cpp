#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <set>
#include <tuple>

#include "host/CForeignCmdExecBase.h"
#include "tests/host/fixtures/TestScripts.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/Guards.h"

namespace {

using testscripts::Undo;
using testscripts::WriteScript;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Base = CForeignCmdExecBase;

// A fetcher of the file-name form: reads its whole data file.
class FileFetcher : public Base {
 public:
  explicit FileFetcher(const std::string& line = "") : Base(kCommunicationMethod1), commandLine(line) {}
  std::string _GetCommandLine() override { return commandLine; }
  bool _ParseData(void*, const std::string& fileName) override {
    ++parseCalls;
    parsedFile = fileName;
    data = FileExists(fileName) ? ReadFile(fileName) : "<missing>";
    return parseResult;
  }
  const char* _GetFileNameForData() const override { return fileName.c_str(); }

  std::string commandLine, fileName = "ixr_node.txt", parsedFile, data;
  bool parseResult = true;
  int parseCalls = 0;
};

class CmdExecTest : public ::testing::Test {
 protected:
  CmdExecTest() : cd_(dir_.path()) { Base(Base::kCommunicationMethod0).set_BinaryPath("", true); }

  // A line for the script "dsmadmc" in the test directory.
  std::string Line(const std::string& tail) {
    return "\"" + dir_.file("dsmadmc") + "\" -id=admin -password=Secr3t -outfile=ixr_node.txt" + tail;
  }

  testsupport::TempDir dir_;
  testsupport::ScopedChdir cd_;
  testsupport::ScopedExistingFiles existing_{false, ""};
  Undo remembered_{
      [old = Base::RememberedBinaryPath()] { Base(Base::kCommunicationMethod0).set_BinaryPath(old, true); }};
};

TEST_F(CmdExecTest, ArgumentsReachTheProgramAsWrittenWithoutAShell) {
  WriteScript(dir_.file("dsmadmc"), R"(for a in "$@"; do printf '[%s]' "$a"; done > args.txt)");
  const std::pair<std::string, std::string> cases[] = {
      {" -comma query node  format=detailed", "[-comma][query][node][format=detailed]"},
      {" -comma 'query association D S'", "[-comma][query association D S]"},
      {R"( "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB 1'")",
       "[SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB 1']"},
      {" q node ;touch X $(touch Y) `touch Z`", "[q][node][;touch][X][$(touch][Y)][`touch][Z`]"},
      {"\t a\t b  ", "[a][b]"},
      {R"( a"b c"d'e f'g)", "[ab cde fg]"},
      {R"( say 'it"s' "it's")", R"([say][it"s][it's])"},
      {R"( x "" y)", "[x][][y]"},
      {R"( C:\dir\file a\ b)", R"([C:\dir\file][a\][b])"},
      {R"( unterminated "rest of line)", "[unterminated][rest of line]"},
  };
  for (const auto& [tail, expected] : cases) {
    SCOPED_TRACE(tail);
    FileFetcher(Line(tail)).FetchData(nullptr);
    EXPECT_EQ("[-id=admin][-password=Secr3t][-outfile=ixr_node.txt]" + expected,
              ReadFile(dir_.file("args.txt")));
  }
  for (const char* name : {"X", "Y", "Z", "touch"}) EXPECT_FALSE(FileExists(dir_.file(name))) << name;
}

TEST_F(CmdExecTest, ExitStatusTimeOutAndParserDecideSuccess) {
  EXPECT_EQ(1800, Base::TimeoutSeconds());
  Undo restore{[old = Base::TimeoutSeconds()] { Base::SetTimeoutSeconds(old); }};
  Base::SetTimeoutSeconds(0);
  EXPECT_EQ(1800, Base::TimeoutSeconds()) << "nonsense is refused";
  Base::SetTimeoutSeconds(1);
  const std::tuple<std::string, std::set<int>, bool, bool, int> cases[] = {
      {"exit 0", {}, true, true, 0},
      {"exit 0", {}, false, false, 0},
      {"exit 11", {}, true, false, 11},
      {"exit 11", {0, 11}, true, true, 11},
      // A refused login, told apart from a killed child.
      {"exit 137", {}, true, false, 137},
      {"kill -KILL $$", {}, true, false, Base::kKilledBase - 9},
      {"sleep 30", {0}, true, false, Base::kTimedOut},
  };
  for (const auto& [script, added, parseResult, expected, execResult] : cases) {
    SCOPED_TRACE(script);
    WriteScript(dir_.file("dsmadmc"), "echo data > ixr_node.txt\n" + script);
    FileFetcher f(Line(" query node"));
    for (int code : added) f.AddSuccessRetCode(code);
    f.parseResult = parseResult;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(expected, f.FetchData(nullptr));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(execResult, f.get_execResult());
    // The parser runs whatever the status, so partial output is used.
    EXPECT_EQ("data\n", f.data);
  }
  for (const char* line : {"/nonexistent/dsmadmc -outfile=stale.txt q", "no-such-dsmadmc q", "   "}) {
    SCOPED_TRACE(line);
    FileFetcher f(line);
    EXPECT_FALSE(f.FetchData(nullptr));
    EXPECT_EQ(Base::kNotStarted, f.get_execResult());
    EXPECT_EQ(0, f.parseCalls) << "a program that cannot start leaves nothing to parse";
  }
}

// The old output file, here a link planted under its name, is removed
// before the run (its target untouched); a run that writes no file fails
// the fetch with an error line instead of reading nothing as empty.
TEST_F(CmdExecTest, OutputOfAnEarlierRunIsRemoved) {
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"-outfile=ixr_node.txt", "exit 1", false},
      {"-OUTFILE=ixr_node.txt", "exit 0", false},
      {"-outfile=" + dir_.file("ixr_node.txt"), "exit 0", false},
      {"-outfile=ixr_node.txt", "echo new > ixr_node.txt", true},
  };
  for (const auto& [option, script, written] : cases) {
    SCOPED_TRACE(option + " / " + script);
    testsupport::LogCapture log(0);
    WriteFile(dir_.file("target.txt"), "old\n");
    ASSERT_EQ(0, ::symlink(dir_.file("target.txt").c_str(), dir_.file("ixr_node.txt").c_str()));
    WriteScript(dir_.file("dsmadmc"), script);
    FileFetcher f("\"" + dir_.file("dsmadmc") + "\" -id=a " + option + " q");
    EXPECT_EQ(written, f.FetchData(nullptr));
    EXPECT_EQ(written ? "new\n" : "", f.data);
    EXPECT_EQ("old\n", ReadFile(dir_.file("target.txt")));
    EXPECT_EQ(!written, log.text().find("no output file written") != std::string::npos) << log.text();
    ::unlink(dir_.file("ixr_node.txt").c_str());
  }
  // A failed run says so at error level, with the first server message.
  testsupport::LogCapture log(0);
  WriteScript(dir_.file("dsmadmc"),
              "echo 'Session established'; echo 'ANS1017E Session rejected: TCP/IP error'; exit 2");
  FileFetcher failed("\"" + dir_.file("dsmadmc") + "\" -id=a -outfile=ixr_node.txt q");
  EXPECT_FALSE(failed.FetchData(nullptr));
  EXPECT_NE(log.text().find("Command [node] failed: status [2], no output file written; ANS1017E "
                            "Session rejected: TCP/IP error"),
            std::string::npos)
      << log.text();
  // Only the fetcher's own file goes: a name that smuggled an -outfile=
  // word into the command removes nothing else.
  WriteFile(dir_.file("VICTIM.txt"), "keep\n");
  FileFetcher named("\"" + dir_.file("dsmadmc") + "\" -id=a -outfile=ixr_node.txt q x -outfile=VICTIM.txt");
  named.FetchData(nullptr);
  EXPECT_TRUE(FileExists(dir_.file("VICTIM.txt")));
}

TEST_F(CmdExecTest, LogShowsNoPassword) {
  WriteScript(dir_.file("dsmadmc"), "echo ANS8002I highest return code; echo \"$@\"");
  testsupport::LogCapture log(7);
  for (const char* password : {"Secr3t", "\"Se cr3t\""}) {
    FileFetcher("\"" + dir_.file("dsmadmc") + "\" -id=admin -password=" + password + " -outfile=o.txt q")
        .FetchData(nullptr);
  }
  FileFetcher quiet("\"" + dir_.file("dsmadmc") + "\" -id=other q");
  quiet.fileName.clear();
  quiet.set_logCommandLine(false);
  EXPECT_TRUE(quiet.FetchData(nullptr));
  std::string text = log.text();
  EXPECT_NE(std::string::npos, text.find("-id=admin -password=**** -outfile=o.txt q"));
  EXPECT_NE(std::string::npos, text.find("ANS8002I highest return code"));  // the output, at level 7
  EXPECT_EQ(std::string::npos, text.find("cr3t")) << text;
  EXPECT_NE(std::string::npos, text.find("command line not logged"));
  EXPECT_EQ(std::string::npos, text.find("dsmadmc\" -id=other")) << text;
}

// A secret that the capture limit cuts leaves no start of it behind: not
// in the output lines (level 7) and not in the error line, which quotes
// the first ANS line at the default level. Every cut position is tried.
TEST_F(CmdExecTest, NoPrefixOfThePasswordSurvivesTheCut) {
  const std::string secret = "Secr3t-Pw";
  for (size_t kept = 1; kept < secret.size(); ++kept) {
    for (const char* start : {"", "ANS1017E "}) {
      SCOPED_TRACE(std::string(start) + secret.substr(0, kept));
      const size_t fill = PosixProcessLauncher::kMaxOutput - kept - std::strlen(start);
      WriteScript(dir_.file("dsmadmc"),
                  "printf '" + std::string(start) + "'; head -c " + std::to_string(fill) +
                      " /dev/zero | tr '\\0' x; printf '%s\\n' \"${2#-password=}\"; exit 2");
      testsupport::LogCapture log(*start == '\0' ? 7 : 4);
      FileFetcher("\"" + dir_.file("dsmadmc") + "\" -id=admin -password=" + secret + " q").FetchData(nullptr);
      const std::string text = log.text();
      EXPECT_EQ(std::string::npos, text.find("x" + secret.substr(0, kept))) << text.substr(text.size() - 300);
      EXPECT_NE(std::string::npos, text.find("xx****")) << text.substr(text.size() - 300);
    }
  }
}

TEST_F(CmdExecTest, ExistingFilesAndSkipMarkerStartNothing) {
  testsupport::FakeDsmadmc fake;
  WriteFile(dir_.file("ixr_node.txt"), "saved\n");
  WriteFile(dir_.file("from_ixr_node.txt"), "saved elsewhere\n");
  const std::tuple<bool, std::string, std::string, std::string, int> cases[] = {
      {true, dir_.path() + "/from_", "dsmadmc -outfile=ixr_node.txt q", "saved elsewhere\n", 0},
      // The saved files are what the parser reads: nothing removes them.
      {true, "", "dsmadmc -outfile=ixr_node.txt q", "saved\n", 0},
      {true, "", Base::kSkipMarker, "saved\n", Base::kNotRun},
      {false, "", Base::kSkipMarker, "saved\n", Base::kNotRun},
  };
  for (const auto& [use, from, line, parsed, execResult] : cases) {
    SCOPED_TRACE(from + " " + line);
    testsupport::ScopedExistingFiles existing(use, from);
    FileFetcher f(line);
    EXPECT_TRUE(f.FetchData(nullptr));
    EXPECT_EQ(from + "ixr_node.txt", f.parsedFile);
    EXPECT_EQ(parsed, f.data);
    EXPECT_EQ(execResult, f.get_execResult());
  }
  EXPECT_TRUE(fake.runs().empty());
}

TEST_F(CmdExecTest, BareProgramNameLookup) {
  testsupport::TempDir remembered, own, onPath;
  for (const std::string& d : {remembered.path(), own.path(), onPath.path(), dir_.path()}) {
    WriteScript(d + "/dsmadmc", "exit 0");
  }
  WriteScript(onPath.file("only-on-path"), "exit 0");
  testsupport::ScopedEnv path("PATH", onPath.path().c_str());
  testsupport::FakeDsmadmc fake;
  FileFetcher f("dsmadmc -id=a");
  f.FetchData(nullptr);  // the working directory before PATH
  EXPECT_EQ((std::vector<std::string>{"./dsmadmc", "-id=a"}), fake.runs().back());
  FileFetcher("only-on-path").FetchData(nullptr);
  EXPECT_EQ(onPath.file("only-on-path"), fake.runs().back()[0]);

  FileFetcher().set_BinaryPath(remembered.path(), true);
  f.FetchData(nullptr);
  EXPECT_EQ(remembered.file("dsmadmc"), fake.runs().back()[0]);
  f.SetBinaryPath(own.path());
  EXPECT_EQ(own.path() + "/", f.GetBinaryPath());
  f.FetchData(nullptr);
  EXPECT_EQ(own.file("dsmadmc"), fake.runs().back()[0]);
}

TEST(MaskCommandLineTest, HidesEveryPasswordValue) {
  const std::pair<std::string, std::string> cases[] = {
      {"dsmadmc -id=a -password=Secr3t -outfile=x q", "dsmadmc -id=a -password=**** -outfile=x q"},
      {R"(dsmadmc "-password=Se cr3t" q)", R"(dsmadmc "-password=****" q)"},
      {R"(dsmadmc -password="Se cr3t"x q)", "dsmadmc -password=**** q"},
      {R"(dsmadmc -password='Se"cr3t' q)", "dsmadmc -password=**** q"},
      {"a -password=Secr3t b -Password=Secr3t", "a -password=**** b -Password=****"},
      {"dsmadmc -id=a q \"it's\"", "dsmadmc -id=a q \"it's\""},
  };
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE("[" + line + "]");
    EXPECT_EQ(expected, Base::MaskCommandLine(line));
  }
}

}  // namespace
