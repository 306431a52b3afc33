// The dsmadmc simulator against a small site of its own: query shapes,
// filters, header lines, exit statuses and fault switches.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/TestSupport.h"
#include "tests/tools/RunProgram.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;
using toolstest::Fields;
using toolstest::Lines;
using toolstest::ProgramResult;

const char kScheduleHeader[] =
    "DOMAIN_NAME,SCHEDULE_NAME,DESCRIPTION,ACTION,SUBACTION,OPTIONS,OBJECTS,PRIORITY,STARTDATE,STARTTIME,"
    "DURATION,DURUNITS,SCHED_STYLE,PERIOD,PERUNITS,DAYOFWEEK,MONTH,DAYOFMONTH,WEEKOFMONTH,EXPIRATION,"
    "MAXRUNTIME,CHG_ADMIN,CHG_TIME,PROFILE\n";

class SimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("status.csv", "SERVER_NAME,VERSION,RELEASE,LEVEL,SUBLEVEL,PLATFORM\nSRV1,8,1,12,0,Linux/x86_64\n");
    Write("admins.csv", "ADMIN_NAME,PASSWORD\nADMIN,Se-cret1\n");
    Write("settings.csv", "NAME,VALUE\nSCHEDULE_LAYOUT,20\n");
    Write("nodes.csv",
          "NODE_NAME,PLATFORM_NAME,CONTACT,LASTACC_TIME\n"
          "NODE_1,Linux86,\"Ops, room 2\",2026-11-30 22:14:05\n"
          "NODEX1,WinNT,,2026-01-02 03:04:05\n"
          "N%1,AIX,,\n");
    Write("client_schedules.csv",
          std::string(kScheduleHeader) +
              "STANDARD,DAILY,Nightly,Incremental,,,/home/"
              "*,5,2026-01-05,21:00:00,2,HOURS,Classic,1,DAYS,Any,,,,,"
              "0,ADMIN,2026-01-02 10:00:00,\n"
              "WIN,WEEKDAYS,Week nights,Selective,,,C:\\*,4,2026-01-05,23:00:00,1,HOURS,Enhanced,,,"
              "\"Mon,Wed\",Any,Any,Any,2027-12-31 23:59:59,0,ADMIN,2026-01-02 10:00:00,PROF\n");
    Write("associations.csv",
          "DOMAIN_NAME,SCHEDULE_NAME,NODE_NAME\nSTANDARD,DAILY,NODE_1\nSTANDARD,DAILY,NODEX1\nWIN,WEEKDAYS,"
          "NODEX1\n");
    Write("drives.csv", "LIBRARY_NAME,DRIVE_NAME,ONLINE\nL1,D1,YES\nL1,D2,NO\nL2,D3,YES\n");
    Write("volumes.csv",
          "VOLUME_NAME,STGPOOL_NAME,DEVCLASS_NAME,EST_CAPACITY_MB\nV1,POOLA,LTO,100.0\nV2,POOLA,LTO,200.0\n"
          "/d/1.dsm,DISKP,DISK,10.0\n/f/2.bfs,FILEP,FILE,20.0\nV3,POOLB,LTO,300.0\n");
    Write("libvolumes.csv", "LIBRARY_NAME,VOLUME_NAME\nL1,V1\nL1,V2\nL2,V3\nL2,V9\n");
    Write("summary.csv",
          "START_TIME,ACTIVITY,ENTITY,SCHEDULE_NAME,BYTES\n"
          "2026-11-30 02:00:00,BACKUP,NODE_1,DAILY,20\n"
          "2026-11-30 01:00:00,BACKUP,NODE_1,,10\n"
          "2026-11-30 03:00:00,ARCHIVE,NODE_1,DAILY,30\n"
          "2026-11-30 04:00:00,BACKUP,NODEX1,DAILY,40\n"
          "2026-11-30 05:00:00,BACKUP,N%1,,50\n");
  }

  void Write(const std::string& name, const std::string& content) { WriteFile(site_.file(name), content); }

  // Runs the simulator with the site's administrator and `args`.
  ProgramResult Run(std::vector<std::string> args, const std::string& password = "Se-cret1") {
    ScopedEnv site("DSMADMC_SIM_SITE", site_.path().c_str());
    std::vector<std::string> argv = {testsupport::BinDir() + "/dsmadmc", "-id=admin",
                                     "-password=" + password};
    argv.insert(argv.end(), args.begin(), args.end());
    return toolstest::RunProgram(argv, work_.path());
  }

  // Data lines of an output file written with -dataonly=yes.
  std::vector<std::string> DataLines(std::vector<std::string> args, int wantStatus = 0) {
    args.insert(args.begin(), {"-outfile=out.txt", "-dataonly=yes", "-comma"});
    ProgramResult r = Run(args);
    EXPECT_EQ(r.status, wantStatus) << r.out;
    return Lines(ReadFile(work_.file("out.txt")));
  }

  TempDir site_;
  TempDir work_;
};

TEST_F(SimulatorTest, SelectFiltersAndJoins) {
  struct Case {
    const char* select;
    std::vector<std::string> lines;
  } cases[] = {
      {"SELECT VERSION, RELEASE FROM STATUS", {"8,1"}},
      {"SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'L1'", {"L1,D1,YES", "L1,D2,NO"}},
      {"SELECT DRIVE_NAME FROM DRIVES WHERE LIBRARY_NAME <> 'L1'", {"D3"}},
      {"SELECT VOLUME_NAME FROM VOLUMES WHERE DEVCLASS_NAME IN ('FILE', 'DISK')", {"/d/1.dsm", "/f/2.bfs"}},
      {"SELECT VV.VOLUME_NAME, VV.DEVCLASS_NAME, VV.EST_CAPACITY_MB, LV.LIBRARY_NAME, VV.STGPOOL_NAME FROM "
       "VOLUMES "
       "VV, LIBVOLUMES LV  WHERE LV.VOLUME_NAME = VV.VOLUME_NAME",
       {"V1,LTO,100.0,L1,POOLA", "V2,LTO,200.0,L1,POOLA", "V3,LTO,300.0,L2,POOLB"}},
      {"SELECT DISTINCT LV.LIBRARY_NAME, VV.STGPOOL_NAME FROM VOLUMES VV, LIBVOLUMES LV  WHERE "
       "LV.VOLUME_NAME = "
       "VV.VOLUME_NAME",
       {"L1,POOLA", "L2,POOLB"}},
      // LIKE: _ matches one character, so NODE_1 also finds NODEX1; ESCAPE
      // makes it literal; % runs; ORDER BY sorts by time.
      {"SELECT ENTITY, BYTES FROM SUMMARY SS WHERE SS.ACTIVITY = 'BACKUP' AND SS.ENTITY LIKE 'NODE_1' ORDER "
       "BY "
       "START_TIME",
       {"NODE_1,10", "NODE_1,20", "NODEX1,40"}},
      {"SELECT BYTES FROM SUMMARY WHERE ENTITY LIKE 'NODE\\_1' ESCAPE '\\' ORDER BY START_TIME",
       {"10", "20", "30"}},
      {"SELECT BYTES FROM SUMMARY WHERE ENTITY LIKE 'N!%%' ESCAPE '!'", {"50"}},
      {"SELECT BYTES FROM SUMMARY WHERE ENTITY NOT LIKE 'NODE%' AND BYTES > 20", {"50"}},
      {"SELECT START_TIME FROM SUMMARY WHERE BYTES = 50", {"2026-11-30 05:00:00.000000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.select);
    EXPECT_EQ(DataLines({c.select}), c.lines);
  }
}

TEST_F(SimulatorTest, FormASelectArrivesWithoutQuotes) {
  Write("backups.csv", "NODE_NAME,FILESPACE_ID,OWNER\nDB1,2,db2inst1\nDB1,2,db2inst1\nDB1,1,root\nWEB,2,x\n");
  Write("filespaces.csv",
        "NODE_NAME,FILESPACE_NAME,FILESPACE_ID,FILESPACE_TYPE\nDB1,/SAMPLE,2,API:DB2/AIX64\nDB1,/,1,JFS2\n");
  // The plug-in's own splitting removed the single quotes.
  std::vector<std::string> words = {"select",
                                    "DISTINCT",
                                    "OWNER,",
                                    "ff.FILESPACE_NAME",
                                    "from",
                                    "backups",
                                    "bb,",
                                    "filespaces",
                                    "ff",
                                    "where",
                                    "bb.node_name",
                                    "=",
                                    "DB1",
                                    "and",
                                    "bb.FILESPACE_ID",
                                    "=",
                                    "ff.FILESPACE_ID",
                                    "AND",
                                    "ff.FILESPACE_TYPE",
                                    "LIKE",
                                    "API:DB2%"};
  EXPECT_EQ(DataLines(words), std::vector<std::string>{"db2inst1,/SAMPLE"});
}

TEST_F(SimulatorTest, QueryNodeDetailedAndFiltered) {
  std::vector<std::string> lines = DataLines({"-dateformat=1", "query", "node", "format=detailed"});
  ASSERT_EQ(lines.size(), 3u);
  // Sorted by name (X before _); a field holding a comma is quoted; dates month first.
  EXPECT_EQ(lines[0], "N%1,AIX,,");
  EXPECT_EQ(lines[2], "NODE_1,Linux86,\"Ops, room 2\",11/30/2026 22:14:05");
  EXPECT_EQ(DataLines({"-dateformat=3", "query", "node", "nodex1", "format=detailed"}),
            std::vector<std::string>{"NODEX1,WinNT,,2026-01-02 03:04:05"});
  EXPECT_EQ(DataLines({"query", "node", "NODE?1", "format=detailed"}).size(), 2u);
}

TEST_F(SimulatorTest, ScheduleListingColumnLayouts) {
  struct Case {
    const char* layout;
    size_t full;
    size_t perNode;
  } cases[] = {{"20", 20, 21}, {"19", 19, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    Write("settings.csv", std::string("NAME,VALUE\nSCHEDULE_LAYOUT,") + c.layout + "\n");
    std::vector<std::string> full = DataLines({"-dateformat=1", "query", "schedule", "format=detailed"});
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(Fields(full[0]).size(), c.full);
    EXPECT_EQ(Fields(full[1])[c.full == 20 ? 12 : 11], "Mon,Wed");  // enhanced days, quoted
    std::vector<std::string> node =
        DataLines({"-dateformat=1", "query", "schedule", "format=detailed", "Nodes=NODEX1"});
    ASSERT_EQ(node.size(), 2u);
    EXPECT_EQ(Fields(node[0]).size(), c.perNode);
    EXPECT_EQ(node[0].back(), ',');  // empty managing profile last
    std::vector<std::string> f = Fields(node[1]);
    EXPECT_EQ(f[0] + "," + f[1] + "," + f.back(), "WIN,WEEKDAYS,PROF");
  }
  Write("settings.csv", "NAME,VALUE\nSCHEDULE_LAYOUT,20\n");
  std::vector<std::string> one = DataLines({"query", "schedule", "format=detailed", "Nodes=NODE_1"});
  ASSERT_EQ(one.size(), 1u);
  std::vector<std::string> f = Fields(one[0]);
  EXPECT_EQ(f[8], "01/05/2026 21:00:00");
  EXPECT_EQ(f[9], "2 Hour(s)");
  EXPECT_EQ(f[11], "1 Day(s)");
  DataLines({"query", "schedule", "format=detailed", "Nodes=NOBODY"}, 11);
}

TEST_F(SimulatorTest, AssociationQueryIsOneArgument) {
  EXPECT_EQ(DataLines({"query association STANDARD DAILY"}),
            std::vector<std::string>{"STANDARD,DAILY,NODE_1 NODEX1"});
  EXPECT_EQ(DataLines({"query", "association"}).size(), 2u);
}

TEST_F(SimulatorTest, HeaderLinesUnlessDataOnly) {
  ProgramResult r = Run({"-OUT=out.txt", "-COMMA", "SELECT VERSION, RELEASE FROM STATUS"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines = Lines(ReadFile(work_.file("out.txt")));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[4], "8,1");
  EXPECT_EQ(lines.back(), "ANS8002I Highest return code was 0.");
  // -outfile replaces an older file.
  WriteFile(work_.file("out.txt"), std::string(10000, 'x'));
  Run({"-outfile=out.txt", "-dataonly=yes", "-comma", "SELECT VERSION FROM STATUS"});
  EXPECT_EQ(ReadFile(work_.file("out.txt")), "8\n");
}

TEST_F(SimulatorTest, OptionsIgnoreCaseAndTakeAbbreviations) {
  ScopedEnv site("DSMADMC_SIM_SITE", site_.path().c_str());
  ProgramResult r =
      toolstest::RunProgram({testsupport::BinDir() + "/dsmadmc", "-ID=ADMIN", "-PA=Se-cret1", "-OUT=abbr.txt",
                             "-DATA=Yes", "-COMMADELIMITED", "-DATE=3", "q", "node", "nodex1", "f=d"},
                            work_.path());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ReadFile(work_.file("abbr.txt")), "NODEX1,WinNT,,2026-01-02 03:04:05\n");
  // Too short to be told apart from other options.
  EXPECT_EQ(Run({"-d=yes", "query", "node"}).status, 2);
}

TEST_F(SimulatorTest, ExitStatuses) {
  ProgramResult none = Run({"-outfile=none.txt", "-comma", "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LX'"});
  EXPECT_EQ(none.status, 11);
  EXPECT_NE(ReadFile(work_.file("none.txt")).find("ANR2034E SELECT: No match found using this criteria."),
            std::string::npos);
  struct Case {
    std::vector<std::string> args;
    std::string password;
    int status;
  } cases[] = {
      {{"-id=nobody", "query", "node"}, "Se-cret1", 137},
      {{"-outfile=bad.txt", "query", "node"}, "se-cret1", 137},
      {{"-bogus=1", "query", "node"}, "Se-cret1", 2},
      {{"-comma", "SELECT NOPE FROM DRIVES"}, "Se-cret1", 3},
      {{"-comma", "SELECT * FROM ADMINS"}, "Se-cret1", 3},
      {{"query", "node", "NOPE"}, "Se-cret1", 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    ProgramResult r = Run(c.args, c.password);
    EXPECT_EQ(r.status, c.status) << r.out;
    if (c.status == 137) {
      EXPECT_NE(r.out.find("ANS1051I Invalid user id or password"), std::string::npos);
    }
  }
  EXPECT_FALSE(testsupport::FileExists(work_.file("bad.txt")));
}

TEST_F(SimulatorTest, FaultSwitches) {
  const std::vector<std::string> drives = {"-outfile=f.txt", "-dataonly=yes", "-comma",
                                           "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'L1'"};
  {
    ScopedEnv exit("DSMADMC_SIM_EXIT", "42");
    ScopedEnv match("DSMADMC_SIM_MATCH", "from drives");
    EXPECT_EQ(Run(drives).status, 42);
    EXPECT_EQ(Run({"-comma", "SELECT VERSION FROM STATUS"}).status, 0);  // does not match
  }
  {
    ScopedEnv kill("DSMADMC_SIM_SIGNAL", "9");
    EXPECT_EQ(Run(drives).signal, 9);
  }
  {
    ScopedEnv cut("DSMADMC_SIM_TRUNCATE", "5");
    EXPECT_EQ(Run(drives).status, 0);
    EXPECT_EQ(ReadFile(work_.file("f.txt")), "L1,D1");
  }
  {
    ScopedEnv bad("DSMADMC_SIM_BADUTF8", "1");
    Run(drives);
    EXPECT_NE(ReadFile(work_.file("f.txt")).find("\xFF"), std::string::npos);
  }
  {
    ScopedEnv nofile("DSMADMC_SIM_NOFILE", "1");
    std::remove(work_.file("f.txt").c_str());
    EXPECT_EQ(Run(drives).status, 0);
    EXPECT_FALSE(testsupport::FileExists(work_.file("f.txt")));
  }
  {
    ScopedEnv hang("DSMADMC_SIM_HANG", "1");
    auto start = std::chrono::steady_clock::now();
    Run(drives);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  }
  {
    ScopedEnv log("DSMADMC_SIM_LOG", work_.file("runs.log").c_str());
    Run(drives);
    std::string logged = ReadFile(work_.file("runs.log"));
    EXPECT_NE(logged.find("-password=****"), std::string::npos);
    EXPECT_EQ(logged.find("Se-cret1"), std::string::npos);
  }
}

// The site is $DSMADMC_SIM_SITE, else the path in dsmadmc-sim.site next to
// the program (relative to it), else site/ next to the program.
TEST(SiteLocationTest, EnvironmentThenPointerFileThenSiteFolder) {
  TempDir tmp;
  const std::string bin = tmp.file("bin");
  ASSERT_EQ(
      toolstest::RunProgram({"/bin/mkdir", "-p", bin + "/site", tmp.file("other"), tmp.file("env")}).status,
      0);
  ASSERT_EQ(toolstest::RunProgram({"/bin/cp", testsupport::BinDir() + "/dsmadmc", bin + "/dsmadmc"}).status,
            0);
  auto makeSite = [](const std::string& dir, const std::string& server) {
    WriteFile(dir + "/status.csv", "SERVER_NAME,VERSION,RELEASE\n" + server + ",8,1\n");
    WriteFile(dir + "/admins.csv", "ADMIN_NAME,PASSWORD\nADMIN,pw\n");
  };
  makeSite(bin + "/site", "FOLDER");
  makeSite(tmp.file("other"), "POINTER");
  makeSite(tmp.file("env"), "ENV");
  auto server = [&bin]() {
    return toolstest::RunProgram({bin + "/dsmadmc", "-id=admin", "-pa=pw", "-dataonly=yes", "-comma",
                                  "SELECT SERVER_NAME FROM STATUS"})
        .out;
  };
  ScopedEnv noEnv("DSMADMC_SIM_SITE", nullptr);
  EXPECT_EQ(server(), "FOLDER\n");
  WriteFile(bin + "/dsmadmc-sim.site", "../other\n");
  EXPECT_EQ(server(), "POINTER\n");
  ScopedEnv env("DSMADMC_SIM_SITE", tmp.file("env").c_str());
  EXPECT_EQ(server(), "ENV\n");
  ScopedEnv missing("DSMADMC_SIM_SITE", tmp.file("none").c_str());
  EXPECT_EQ(toolstest::RunProgram({bin + "/dsmadmc", "-id=admin", "-pa=pw", "query", "node"}).status, 1);
}

TEST(GenerateSiteTest, SameSeedSameSite) {
  TempDir a, b, c;
  auto generate = [](const std::string& dir, const char* seed) {
    return toolstest::RunProgram({testsupport::BinDir() + "/dsmadmc", "generate-site", "--nodes", "7",
                                  "--schedules", "3", "--libraries", "2", "--volumes", "15",
                                  "--jobs-per-node", "4", "--seed", seed, dir})
        .status;
  };
  ASSERT_EQ(generate(a.path(), "5"), 0);
  ASSERT_EQ(generate(b.path(), "5"), 0);
  ASSERT_EQ(generate(c.path(), "6"), 0);
  std::vector<std::string> names = testsupport::ListDir(a.path());
  EXPECT_EQ(names, testsupport::ListDir(b.path()));
  bool anyDiffers = false;
  for (const std::string& n : names) {
    SCOPED_TRACE(n);
    EXPECT_EQ(ReadFile(a.file(n)), ReadFile(b.file(n)));
    anyDiffers = anyDiffers || ReadFile(a.file(n)) != ReadFile(c.file(n));
  }
  EXPECT_TRUE(anyDiffers);
  EXPECT_EQ(Lines(ReadFile(a.file("nodes.csv"))).size(), 8u);
  EXPECT_EQ(Lines(ReadFile(a.file("summary.csv"))).size(), 29u);
  EXPECT_EQ(
      toolstest::RunProgram({testsupport::BinDir() + "/dsmadmc", "generate-site", "--nodes", "x", a.path()})
          .status,
      2);
}

}  // namespace
