// End to end: tsm-discover demo against the simulator and the sample
// site. Every operation returns true, every hand-over file is well-formed
// XML, and the administrator password is in no file of the output or the
// working directory.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Guards.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XmlQuery.h"

namespace {

using namespace testsupport;

// What the hand-over files carry, in the summary's column order: clients,
// tasks, libraries, media, storage policies, jobs.
const char* const kCounted[] = {
    "count(/*[@group='30' and @class='164']/field[@index='1']/message)",
    "count(/*[@group='12' and @class='175'])",
    "count(/*[@group='32' and @class='47']/field[@index='4']/message[1]/field[@index='1']/message)",
    "count(/*[@group='32' and @class='9']/field[@index='4']/message[1]/field[@index='1']/message)",
    "count(/*[@group='32' and @class='52']/field[@index='4']/message)",
    "count(/*[@group='32' and @class='11']/field[@index='2']/message)",
};

TEST(EndToEndTest, DemoRunsTheWholeJob) {
  TempDir tmp;
  ProgramResult r =
      RunProgram({BinDir() + "/tsm-discover", "demo", "--out", tmp.file("out"), "--work", tmp.file("work")});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Replies in " + tmp.file("out")), std::string::npos) << r.out;
  // Each operation's line says true, in order; then the numbers of the summary's Total row.
  std::string results;
  std::vector<long> total;
  for (const std::string& line : Lines(r.out)) {
    std::istringstream in(line);
    std::string op, result;
    in >> op >> result;
    if (line.rfind("Discover", 0) == 0 && result == "true") results += op.substr(8) + " ";
    for (long n; line.rfind("  Total ", 0) == 0 && in >> n;) total.push_back(n);
  }
  EXPECT_EQ(results, "Config Clients Schedule Media Jobs ") << r.out;

  // What the reply files hold, read independently of tsm-discover.
  std::vector<long> counts(6, 0);
  long files = 0;
  for (const std::string& name : ListDir(tmp.file("out"))) {
    if (name.size() < 4 || name.substr(name.size() - 4) != ".xml") continue;
    SCOPED_TRACE(name);
    ++files;
    ASSERT_NE(Texts(tmp.file("out/" + name), "/*"), "unreadable");
    for (size_t i = 0; i < counts.size() && name.find("-sent-") == std::string::npos; ++i)
      counts[i] += std::stol(Texts(tmp.file("out/" + name), kCounted[i]));
  }
  EXPECT_GT(counts[0], 0);  // clients
  // The summary's Total row reports what the files hold.
  counts.push_back(files);
  EXPECT_EQ(total, counts) << r.out;
  // The job ran dsmadmc in the working directory.
  EXPECT_TRUE(FileExists(tmp.file("work/bin/ixr_node.txt")));
  for (const std::string& dir : {tmp.file("out"), tmp.file("work/bin")}) {
    for (const std::string& name : ListDir(dir)) {
      SCOPED_TRACE(dir + "/" + name);
      EXPECT_EQ(ReadFile(dir + "/" + name).find("Orbit7-Demo"), std::string::npos);
    }
  }
}

// Each hand-over file of `dir` with its clock masked, by name.
std::map<std::string, std::string> HandOvers(const std::string& dir) {
  static const std::regex clock("(name=\"reportTime\" kind=\"int64\">)[0-9]+");
  std::map<std::string, std::string> files;
  for (const std::string& name : ListDir(dir)) {
    if (name.size() > 4 && name.substr(name.size() - 4) == ".xml")
      files[name] = std::regex_replace(ReadFile(dir + "/" + name), clock, "$1T");
  }
  return files;
}

// The banner and closing lines of every client level, and the old short
// header, give the same hand-over byte for byte (but the clock), live and
// through a gathered set: no client line becomes a record.
TEST(EndToEndTest, EveryClientLevelGivesTheSameHandOver) {
  TempDir tmp;
  WriteFile(tmp.file("password"), "Orbit7-Demo\n");
  std::map<std::string, std::string> live, replayed;
  for (const char* level : {"short", "5", "7", "8.1", "newest"}) {
    SCOPED_TRACE(level);
    ScopedEnv client("DSMADMC_SIM_CLIENT_LEVEL", level);
    const std::string out = tmp.file(std::string("live-") + level),
                      set = tmp.file(std::string("set-") + level);
    ProgramResult demo =
        RunProgram({BinDir() + "/tsm-discover", "demo", "--out", out, "--work", tmp.file("work")});
    ASSERT_EQ(demo.status, 0) << demo.out << demo.err;
    ScopedEnv site("DSMADMC_SIM_SITE", tmp.file("work/site").c_str());
    ProgramResult gather =
        RunProgram({BinDir() + "/tsm-discover", "gather", "--dsmadmc-dir", tmp.file("work/bin"), "--login",
                    "ADMIN", "--password-file", tmp.file("password"), "--out", set});
    ASSERT_EQ(gather.status, 0) << gather.out << gather.err;
    ProgramResult replay = RunProgram({BinDir() + "/tsm-discover", "run", "--replay", set, "--login", "ADMIN",
                                       "--password-file", tmp.file("password"), "--out", set + "-replies"});
    ASSERT_EQ(replay.status, 0) << replay.out << replay.err;
    if (live.empty()) {
      live = HandOvers(out);
      replayed = HandOvers(set + "-replies");
      EXPECT_GT(live.size(), 20u);  // every reply of the demo
      continue;
    }
    EXPECT_TRUE(HandOvers(out) == live);
    EXPECT_TRUE(HandOvers(set + "-replies") == replayed);
  }
}

}  // namespace
