#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "host/CForeignCmdExecBase.h"
#include "host/EvDebug.h"
#include "tests/host/fixtures/TestScripts.h"
#include "tests/support/TestSupport.h"

namespace {

using testscripts::WriteScript;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

// Guards for the process-wide settings of the base.
class ScopedLauncher {
 public:
  explicit ScopedLauncher(ProcessLauncher* launcher) { CForeignCmdExecBase::SetProcessLauncher(launcher); }
  ~ScopedLauncher() { CForeignCmdExecBase::SetProcessLauncher(nullptr); }
};

class ScopedExistingFiles {
 public:
  ScopedExistingFiles(bool use, const std::string& from)
      : oldUse_(CForeignCmdExecBase::get_UseExistingFiles()),
        oldFrom_(CForeignCmdExecBase::get_UseExistingFilesFrom()) {
    CForeignCmdExecBase::set_UseExistingFiles(use, from);
  }
  ~ScopedExistingFiles() { CForeignCmdExecBase::set_UseExistingFiles(oldUse_, oldFrom_); }

 private:
  bool oldUse_;
  std::string oldFrom_;
};

class ScopedTimeout {
 public:
  explicit ScopedTimeout(int seconds) : old_(CForeignCmdExecBase::TimeoutSeconds()) {
    CForeignCmdExecBase::SetTimeoutSeconds(seconds);
  }
  ~ScopedTimeout() { CForeignCmdExecBase::SetTimeoutSeconds(old_); }

 private:
  int old_;
};

class ScopedRememberedPath {
 public:
  explicit ScopedRememberedPath(const std::string& dir) : old_(CForeignCmdExecBase::RememberedBinaryPath()) {
    Remember(dir);
  }
  ~ScopedRememberedPath() { Remember(old_); }

 private:
  static void Remember(const std::string& dir) {
    CForeignCmdExecBase(CForeignCmdExecBase::kCommunicationMethod0).set_BinaryPath(dir, true);
  }
  std::string old_;
};

class ScopedDefaultJobId {
 public:
  explicit ScopedDefaultJobId(long long id) : old_(EvDebug::DefaultJobId()) { EvDebug::SetDefaultJobId(id); }
  ~ScopedDefaultJobId() { EvDebug::SetDefaultJobId(old_); }

 private:
  long long old_;
};

// Records what it was asked to run and returns a prepared result.
class FakeLauncher : public ProcessLauncher {
 public:
  LaunchResult Run(const std::vector<std::string>& argv, int timeoutSeconds) override {
    ++calls;
    this->argv = argv;
    this->timeoutSeconds = timeoutSeconds;
    return result;
  }
  int calls = 0;
  std::vector<std::string> argv;
  int timeoutSeconds = 0;
  LaunchResult result;
};

// A fetcher of the file-name form: reads its whole data file.
class FileFetcher : public CForeignCmdExecBase {
 public:
  FileFetcher() : CForeignCmdExecBase(kCommunicationMethod1) {}
  std::string _GetCommandLine() override {
    if (!logLine) set_logCommandLine(false);
    return commandLine;
  }
  bool _ParseData(void*, const std::string& fileName) override {
    ++parseCalls;
    parsedFile = fileName;
    data = FileExists(fileName) ? ReadFile(fileName) : "<missing>";
    return parseResult;
  }
  const char* _GetFileNameForData() const override { return fileName.c_str(); }

  std::string commandLine;
  std::string fileName = "ixr_node.txt";
  bool logLine = true;
  bool parseResult = true;
  int parseCalls = 0;
  std::string parsedFile;
  std::string data;
};

// A fetcher of the line form.
class LineFetcher : public CForeignCmdExecBase {
 public:
  LineFetcher() : CForeignCmdExecBase(kCommunicationMethod0) {}
  std::string _GetCommandLine() override { return commandLine; }
  bool _ParseData(void* out, const std::vector<std::string>&) override {
    ++parseCalls;
    receivedOut = out;
    return parseResult;
  }
  std::string commandLine;
  bool parseResult = true;
  int parseCalls = 0;
  void* receivedOut = nullptr;
};

class CmdExecTest : public ::testing::Test {
 protected:
  CmdExecTest() : cd_(dir_.path()), remembered_("") {}

  // Form A line for the script "dsmadmc" in the test directory.
  std::string FormA(const std::string& tail, const std::string& outfile = "ixr_node.txt") {
    return "\"" + dir_.path() + "/dsmadmc\" -id=admin -password=Secr3t -outfile=" + outfile + tail;
  }

  TempDir dir_;
  testsupport::ScopedChdir cd_;
  ScopedRememberedPath remembered_;
  ScopedExistingFiles existing_{false, ""};
};

TEST_F(CmdExecTest, ArgumentsReachTheProgramAsWritten) {
  WriteScript(dir_.file("dsmadmc"), R"(for a in "$@"; do printf '[%s]' "$a"; done > args.txt)");
  struct Case {
    std::string tail;
    std::string expected;
  } cases[] = {
      {" -dataonly=yes -dateformat=1 -comma query node  format=detailed",
       "[-dataonly=yes][-dateformat=1][-comma][query][node][format=detailed]"},
      {" -dateformat=1 -comma 'query association D S'", "[-dateformat=1][-comma][query association D S]"},
      {R"( -comma "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB 1'")",
       "[-comma][SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB 1']"},
      {" query node ;touch X $(touch Y) `touch Z` format=detailed",
       "[query][node][;touch][X][$(touch][Y)][`touch][Z`][format=detailed]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    FileFetcher f;
    f.commandLine = FormA(c.tail);
    f.FetchData(nullptr);
    EXPECT_EQ("[-id=admin][-password=Secr3t][-outfile=ixr_node.txt]" + c.expected,
              ReadFile(dir_.file("args.txt")));
  }
  for (const char* name : {"X", "Y", "Z", "touch"}) EXPECT_FALSE(FileExists(dir_.file(name))) << name;
}

TEST_F(CmdExecTest, NoShellEvenForAPlainProgram) {
  FileFetcher f;
  f.commandLine = "/bin/echo $(touch X) ;touch Y `touch Z` && touch W | tee V";
  EXPECT_TRUE(f.FetchData(nullptr));
  EXPECT_EQ(0, f.get_execResult());
  EXPECT_EQ((std::vector<std::string>{}), testsupport::ListDir(dir_.path()));
}

TEST_F(CmdExecTest, ExitStatusDecidesSuccess) {
  struct Case {
    std::string script;
    std::set<int> added;
    bool expected;
    int execResult;
  } cases[] = {
      {"exit 0", {}, true, 0},
      {"exit 1", {}, false, 1},
      {"exit 11", {}, false, 11},
      {"exit 11", {0, 11}, true, 11},
      {"exit 0", {0, 11}, true, 0},
      {"exit 12", {0, 11}, false, 12},
      // A refused login, told apart from a killed child.
      {"exit 137", {}, false, 137},
      {"kill -KILL $$", {}, false, CForeignCmdExecBase::kKilledBase - 9},
      {"kill -TERM $$", {0, 11}, false, CForeignCmdExecBase::kKilledBase - 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    WriteScript(dir_.file("dsmadmc"), "echo data > ixr_node.txt\n" + c.script);
    FileFetcher f;
    for (int code : c.added) f.AddSuccessRetCode(code);
    f.commandLine = FormA(" query node");
    EXPECT_EQ(c.expected, f.FetchData(nullptr));
    EXPECT_EQ(c.execResult, f.get_execResult());
    // The parser runs whatever the status, so partial output is used.
    EXPECT_EQ(1, f.parseCalls);
    EXPECT_EQ("data\n", f.data);
  }
}

TEST_F(CmdExecTest, ParserResultCounts) {
  WriteScript(dir_.file("dsmadmc"), "exit 0");
  FileFetcher f;
  f.commandLine = FormA(" query node");
  f.parseResult = false;
  EXPECT_FALSE(f.FetchData(nullptr));
  EXPECT_EQ(0, f.get_execResult());
}

TEST_F(CmdExecTest, ProgramThatCannotStartIsNotParsed) {
  ScopedEnv path("PATH", dir_.path().c_str());
  for (const char* line :
       {"\"/nonexistent/dsmadmc\" -outfile=stale.txt q", "no-such-dsmadmc -outfile=stale.txt q", "   "}) {
    SCOPED_TRACE(line);
    FileFetcher f;
    f.commandLine = line;
    f.fileName = "stale.txt";
    EXPECT_FALSE(f.FetchData(nullptr));
    EXPECT_EQ(CForeignCmdExecBase::kNotStarted, f.get_execResult());
    EXPECT_EQ(0, f.parseCalls);
  }
}

TEST_F(CmdExecTest, OutputOfAnEarlierRunIsRemoved) {
  struct Case {
    std::string option;
    std::string script;
    std::string expected;
  } cases[] = {
      {"-outfile=ixr_node.txt", "exit 1", "<missing>"},
      {"-OUTFILE=ixr_node.txt", "exit 1", "<missing>"},
      {"-outfile=ixr_node.txt", "echo new > ixr_node.txt", "new\n"},
      {"-outfile=" + dir_.file("ixr_node.txt"), "exit 0", "<missing>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option + " / " + c.script);
    WriteFile(dir_.file("ixr_node.txt"), "old\n");
    WriteScript(dir_.file("dsmadmc"), c.script);
    FileFetcher f;
    f.commandLine = "\"" + dir_.file("dsmadmc") + "\" -id=a " + c.option + " q";
    f.FetchData(nullptr);
    EXPECT_EQ(c.expected, f.data);
  }
}

TEST_F(CmdExecTest, TimeOutStopsTheProgramAndItsChildren) {
  ScopedTimeout timeout(1);
  testscripts::PidKiller cleanup(dir_.file("gc.pid"));
  WriteScript(dir_.file("dsmadmc"), "sleep 30 & echo $! > gc.pid\necho partial > ixr_node.txt\nsleep 30");
  FileFetcher f;
  f.commandLine = FormA(" q");
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(f.FetchData(nullptr));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 4.0);
  EXPECT_EQ(CForeignCmdExecBase::kTimedOut, f.get_execResult());
  EXPECT_EQ("partial\n", f.data);
  long grandchild = testscripts::ReadPid(dir_.file("gc.pid"));
  ASSERT_GT(grandchild, 1);
  EXPECT_TRUE(testscripts::ProcessGone(grandchild));
}

TEST_F(CmdExecTest, LogShowsNoPassword) {
  WriteScript(dir_.file("dsmadmc"), "echo ANS8002I highest return code; echo \"$@\"");
  testsupport::LogCapture log(7);
  for (const char* password : {"Secr3t", "\"Se cr3t\""}) {
    FileFetcher f;
    f.commandLine = "\"" + dir_.file("dsmadmc") + "\" -id=admin -password=" + password + " -outfile=o.txt q";
    f.FetchData(nullptr);
  }
  std::string text = log.text();
  EXPECT_NE(std::string::npos, text.find("-id=admin -password=**** -outfile=o.txt q"));
  EXPECT_NE(std::string::npos, text.find("ANS8002I highest return code"));  // the output, at level 7
  EXPECT_EQ(std::string::npos, text.find("cr3t")) << text;
}

TEST_F(CmdExecTest, CommandLineLoggingCanBeTurnedOff) {
  WriteScript(dir_.file("dsmadmc"), "exit 0");
  testsupport::LogCapture log(7);
  FileFetcher f;
  f.logLine = false;
  f.commandLine = FormA(" -comma query node format=detailed");
  EXPECT_TRUE(f.FetchData(nullptr));
  std::string text = log.text();
  EXPECT_NE(std::string::npos, text.find("command line not logged"));
  EXPECT_EQ(std::string::npos, text.find("query node")) << text;
  EXPECT_EQ(std::string::npos, text.find("-id=admin")) << text;
}

TEST_F(CmdExecTest, ExistingFilesStartNothing) {
  FakeLauncher fake;
  ScopedLauncher seam(&fake);
  WriteFile(dir_.file("ixr_node.txt"), "saved\n");
  WriteFile(dir_.file("from_ixr_node.txt"), "saved elsewhere\n");
  struct Case {
    std::string from;
    std::string commandLine;
    std::string parsed;
    int execResult;
  } cases[] = {
      {dir_.path() + "/from_", "dsmadmc -outfile=ixr_node.txt q", "saved elsewhere\n", 0},
      // The saved files are what the parser reads: nothing removes them.
      {"", "dsmadmc -outfile=ixr_node.txt q", "saved\n", 0},
      {"", CForeignCmdExecBase::kSkipMarker, "saved\n", CForeignCmdExecBase::kNotRun},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from + " " + c.commandLine);
    ScopedExistingFiles existing(true, c.from);
    FileFetcher f;
    f.commandLine = c.commandLine;
    EXPECT_TRUE(f.FetchData(nullptr));
    EXPECT_EQ(c.from + "ixr_node.txt", f.parsedFile);
    EXPECT_EQ(c.parsed, f.data);
    EXPECT_EQ(c.execResult, f.get_execResult());
  }
  EXPECT_EQ(0, fake.calls);
}

TEST_F(CmdExecTest, SkipMarkerRunsNothingAndParses) {
  FakeLauncher fake;
  ScopedLauncher seam(&fake);
  LineFetcher f;
  f.commandLine = CForeignCmdExecBase::kSkipMarker;
  int out = 0;
  EXPECT_TRUE(f.FetchData(&out));
  EXPECT_EQ(0, fake.calls);
  EXPECT_EQ(CForeignCmdExecBase::kNotRun, f.get_execResult());
  EXPECT_EQ(1, f.parseCalls);
  EXPECT_EQ(&out, f.receivedOut);
}

TEST_F(CmdExecTest, ParserFormSelection) {
  FakeLauncher fake;
  fake.result.started = fake.result.exited = true;
  ScopedLauncher seam(&fake);

  LineFetcher line;  // the line form decides; no file-name form exists
  line.commandLine = "dsmadmc q";
  line.parseResult = false;
  EXPECT_FALSE(line.FetchData(nullptr));
  line.parseResult = true;
  EXPECT_TRUE(line.FetchData(nullptr));
  EXPECT_EQ(2, line.parseCalls);

  FileFetcher file;
  file.commandLine = "dsmadmc q";
  EXPECT_TRUE(file.FetchData(nullptr));
  EXPECT_TRUE(file.FetchData(nullptr));
  EXPECT_EQ(2, file.parseCalls);
  EXPECT_EQ("ixr_node.txt", file.parsedFile);

  CForeignCmdExecBase bare(CForeignCmdExecBase::kCommunicationMethod0);  // no parser at all
  EXPECT_FALSE(bare.FetchData(nullptr));
}

TEST_F(CmdExecTest, BareProgramNameLookup) {
  TempDir remembered, own, onPath;
  for (const std::string& d : {remembered.path(), own.path(), onPath.path(), dir_.path()}) {
    WriteScript(d + "/dsmadmc", "exit 0");
  }
  WriteScript(onPath.file("only-on-path"), "exit 0");
  ScopedEnv path("PATH", onPath.path().c_str());
  FakeLauncher fake;
  fake.result.started = fake.result.exited = true;
  ScopedLauncher seam(&fake);
  ScopedRememberedPath remember(remembered.path());

  struct Case {
    std::string ownDir;
    std::string program;
    std::string expected;
  } cases[] = {
      {"", "dsmadmc", remembered.file("dsmadmc")},
      {own.path(), "dsmadmc", own.file("dsmadmc")},
      {"", "only-on-path", onPath.file("only-on-path")},
      {"", "/bin/true", "/bin/true"},
      {"", "sub/dsmadmc", "sub/dsmadmc"},
      {"", "not-anywhere", "not-anywhere"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program + " own dir [" + c.ownDir + "]");
    FileFetcher f;
    f.SetBinaryPath(c.ownDir);
    f.commandLine = c.program + " -id=a";
    f.FetchData(nullptr);
    ASSERT_EQ(2u, fake.argv.size());
    EXPECT_EQ(c.expected, fake.argv[0]);
    EXPECT_EQ("-id=a", fake.argv[1]);
  }
  // Without a remembered directory the working directory comes first.
  ScopedRememberedPath none("");
  FileFetcher f;
  f.commandLine = "dsmadmc";
  f.FetchData(nullptr);
  EXPECT_EQ("./dsmadmc", fake.argv[0]);
  EXPECT_EQ(CForeignCmdExecBase::TimeoutSeconds(), fake.timeoutSeconds);
}

TEST_F(CmdExecTest, BinaryPathSetters) {
  FileFetcher f;
  EXPECT_EQ("", f.GetBinaryPath());
  f.SetBinaryPath("/opt/tsm");
  EXPECT_EQ("/opt/tsm/", f.GetBinaryPath());
  EXPECT_EQ("", CForeignCmdExecBase::RememberedBinaryPath());
  f.set_BinaryPath("/opt/bin/", true);
  EXPECT_EQ("/opt/bin/", f.GetBinaryPath());
  EXPECT_EQ("/opt/bin/", CForeignCmdExecBase::RememberedBinaryPath());
  EXPECT_EQ("", FileFetcher().GetBinaryPath());  // remembered, but not this fetcher's own
}

TEST_F(CmdExecTest, JobIdDefaultsToTheLogDefault) {
  ScopedDefaultJobId id(4711);
  FileFetcher f;
  EXPECT_EQ(4711, f.get_JobId());
}

TEST(CmdExecSettingsTest, TimeOutDefaultsAndRejectsNonsense) {
  EXPECT_EQ(1800, CForeignCmdExecBase::TimeoutSeconds());
  ScopedTimeout t(0);
  EXPECT_EQ(1800, CForeignCmdExecBase::TimeoutSeconds());
  CForeignCmdExecBase::SetTimeoutSeconds(7);
  EXPECT_EQ(7, CForeignCmdExecBase::TimeoutSeconds());
}

}  // namespace
