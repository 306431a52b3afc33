// The dsmadmc simulator against a small site of its own: the SQL rules,
// schedule layouts, client levels and exit statuses the plug-in's tests
// lean on. Its fault switches are what the failure tests of tsm-discover
// provoke; -outfile replacing a file is what jobs sharing one folder rely
// on.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testsupport;
using Rows = std::vector<std::string>;

class SimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("status.csv", "SERVER_NAME,VERSION,RELEASE,LEVEL,SUBLEVEL,PLATFORM\nSRV1,8,1,12,0,Linux/x86_64\n");
    Write("admins.csv", "ADMIN_NAME,PASSWORD\nADMIN,Se-cret1\n");
    Write("settings.csv", "NAME,VALUE\nSCHEDULE_LAYOUT,20\nSERVER_DATETIME,2026-12-01 09:00:00\n");
    Write("nodes.csv",
          "NODE_NAME,PLATFORM_NAME,CONTACT,LASTACC_TIME\nNODE_1,Linux86,\"Ops, room 2\",2026-11-30 22:14:05\n"
          "NODEX1,WinNT,,2026-01-02 03:04:05\nN%1,AIX,,\n");
    Write(
        "client_schedules.csv",
        "DOMAIN_NAME,SCHEDULE_NAME,DESCRIPTION,ACTION,SUBACTION,OPTIONS,OBJECTS,PRIORITY,STARTDATE,STARTTIME,"
        "DURATION,DURUNITS,SCHED_STYLE,PERIOD,PERUNITS,DAYOFWEEK,MONTH,DAYOFMONTH,WEEKOFMONTH,EXPIRATION,"
        "MAXRUNTIME,CHG_ADMIN,CHG_TIME,PROFILE\n"
        "STANDARD,DAILY,Nightly,Incremental,,,/home/*,5,2026-01-05,21:00:00,2,HOURS,Classic,1,DAYS,Any,,,,,"
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
          "START_TIME,ACTIVITY,ENTITY,SCHEDULE_NAME,BYTES\n2026-11-30 02:00:00,BACKUP,NODE_1,DAILY,20\n"
          "2026-11-30 01:00:00,BACKUP,NODE_1,,10\n2026-11-30 03:00:00,ARCHIVE,NODE_1,DAILY,30\n"
          "2026-11-30 04:00:00,BACKUP,NODEX1,DAILY,40\n2026-11-30 05:00:00,BACKUP,N%1,,50\n");
    Write("backups.csv",
          "NODE_NAME,FILESPACE_ID,OWNER\nDB1,2,db2inst1\nDB1,2,db2inst1\nDB1,1,root\nWEB,2,x\n");
    Write(
        "filespaces.csv",
        "NODE_NAME,FILESPACE_NAME,FILESPACE_ID,FILESPACE_TYPE\nDB1,/SAMPLE,2,API:DB2/AIX64\nDB1,/,1,JFS2\n");
  }

  void Write(const std::string& name, const std::string& content) { WriteFile(site_.file(name), content); }

  // Runs the simulator with `id` and `password` before `args`.
  ProgramResult Run(std::vector<std::string> args, const std::string& password = "Se-cret1",
                    const std::string& id = "admin") {
    args.insert(args.begin(), {BinDir() + "/dsmadmc", "-id=" + id, "-password=" + password});
    return RunProgram(args, work_.path());
  }

  // Data lines of an output file written with -dataonly=yes.
  Rows DataLines(std::vector<std::string> args, int wantStatus = 0) {
    args.insert(args.begin(), {"-outfile=out.txt", "-dataonly=yes", "-comma"});
    ProgramResult r = Run(args);
    EXPECT_EQ(r.status, wantStatus) << r.out;
    return Lines(ReadFile(work_.file("out.txt")));
  }

  TempDir site_;
  TempDir work_;
  ScopedEnv siteEnv_{"DSMADMC_SIM_SITE", site_.path().c_str()};
};

// The SQL rules the plug-in's selects lean on, as a server applies them.
TEST_F(SimulatorTest, SqlAsAServerAppliesIt) {
  const std::pair<std::vector<std::string>, Rows> cases[] = {
      // LIKE: _ matches one character, so NODE_1 also finds NODEX1; ESCAPE
      // makes it literal; ORDER BY sorts by time.
      {{"SELECT ENTITY, BYTES FROM SUMMARY SS WHERE SS.ACTIVITY = 'BACKUP' AND SS.ENTITY LIKE 'NODE_1' ORDER "
        "BY START_TIME"},
       {"NODE_1,10", "NODE_1,20", "NODEX1,40"}},
      {{"SELECT BYTES FROM SUMMARY WHERE ENTITY LIKE 'NODE\\_1' ESCAPE '\\' ORDER BY START_TIME"},
       {"10", "20", "30"}},
      // Sorted by name (X before _), a comma quoted, dates month first.
      {Words("-dateformat=1 query node format=detailed"),
       {"N%1,AIX,,", "NODEX1,WinNT,,01/02/2026 03:04:05",
        "NODE_1,Linux86,\"Ops, room 2\",11/30/2026 22:14:05"}},
  };
  for (const auto& [args, lines] : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    EXPECT_EQ(DataLines(args), lines);
  }
  // A select whose quotes were lost names unknown columns: the server
  // refuses it, as a real one does.
  EXPECT_EQ(DataLines(Words("select OWNER from backups where node_name = DB1"), 3),
            (Rows{"ANR2940E The reference 'DB1' is an unknown SQL column name.", "ANS8001I Return code 3."}));
}

// The server version picks the layout of the detailed schedule listing
// (a setting can force one); NODES= only filters, the columns stay.
TEST_F(SimulatorTest, ScheduleListingLayoutsByServerLevel) {
  const std::string daily =
      "STANDARD,DAILY,Nightly,Incremental,,,/home/*,5,01/05/2026 21:00:00,2 Hour(s),Classic,1 Day(s),Any,,,,,"
      "ADMIN,01/02/2026 10:00:00,";
  const std::string win =
      "WIN,WEEKDAYS,Week nights,Selective,,,C:\\*,4,01/05/2026 23:00:00,1 Hour(s),Enhanced,,\"Mon,Wed\",Any,"
      "Any,Any,12/31/2027 23:59:59,ADMIN,01/02/2026 10:00:00,PROF";
  auto as19 = [](std::string line) { return line.erase(line.find(",,,"), 1); };  // no subaction
  auto as20 = [](std::string line) { return line; };
  auto as21 = [](std::string line) { return line.insert(line.find(" Hour(s)") + 8, ",0"); };  // max run time
  // settings.csv line, server version, layout.
  const std::tuple<const char*, const char*, std::function<std::string(std::string)>> cases[] = {
      {"SCHEDULE_LAYOUT,20", "8", as20},
      {"SCHEDULE_LAYOUT,19", "8", as19},
      {"", "8", as21},
      {"", "7", as20},
      {"", "5", as19},
  };
  for (const auto& [setting, version, layout] : cases) {
    SCOPED_TRACE(std::string(setting) + " version " + version);
    Write("settings.csv", std::string("NAME,VALUE\n") + setting + "\n");
    Write("status.csv", std::string("SERVER_NAME,VERSION\nSRV1,") + version + "\n");
    EXPECT_EQ(DataLines(Words("query schedule format=detailed")), (Rows{layout(daily), layout(win)}));
    EXPECT_EQ(DataLines(Words("query schedule format=detailed Nodes=NODEX1")),
              (Rows{layout(daily), layout(win)}));
    EXPECT_EQ(DataLines(Words("query schedule format=detailed Nodes=NODE_1")), Rows{layout(daily)});
  }
  DataLines(Words("query schedule format=detailed Nodes=NOBODY"), 11);
}

// The whole -outfile file each client level writes, with and without
// -dataonly=yes, for a select that matches and one that does not.
TEST_F(SimulatorTest, ClientLevelsWriteWhatTheirClientsWrite) {
  const std::string ok = "SELECT VERSION, RELEASE FROM STATUS";
  const std::string none = "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LX'";
  auto banner = [](const std::string& product, const std::string& version, const std::string& year) {
    return product + "\nCommand Line Administrative Interface - Version " + version +
           "\n(c) Copyright by IBM Corporation and other(s) 1990, " + year +
           ". All Rights Reserved.\n\nSession established with server SRV1: Linux/x86_64\n  Server Version "
           "8, "
           "Release 1, Level 12.0\n  Server date/time: 12/01/2026 09:00:00  Last access: 12/01/2026 "
           "09:00:00\n\n";
  };
  const std::string noMatch =
      "ANR2034E SELECT: No match found using this criteria.\nANS8001I Return code 11.\n";
  const std::string shortHeader =
      "Storage Manager Command Line Administrative Interface - Version 8.1.12 (simulated)\nSession "
      "established "
      "with server SRV1: Linux/x86_64\n  Server Version 8, Release 1, Level 12.0\n";
  // Level, -dataonly=yes, command, file.
  const std::tuple<const char*, bool, std::string, std::string> cases[] = {
      {"8.1", false, ok,
       banner("IBM Spectrum Protect", "8, Release 1, Level 8.0", "2019") + "ANS8000I Server command: '" + ok +
           "'.\n8,1\n\nANS8002I Highest return code was 0.\n\n"},
      {"newest", false, none,
       banner("IBM Storage Protect", "8, Release 1, Level 21.0", "2023") + "ANS8000I Server command: '" +
           none + "'.\n" + noMatch + "\nANS8002I Highest return code was 11.\n\n"},
      {"7", false, ok,
       banner("IBM Tivoli Storage Manager", "7, Release 1, Level 8.8", "2020") +
           "ANS8000I Server command: '" + ok + "'\n8,1\n\nANS8002I Highest return code was 0.\n\n"},
      {"8.1", true, ok, "8,1\n"},
      {"5", true, none, noMatch},
      {"short", false, none,
       shortHeader + "ANS8000I Server command: '" + none +
           "'\nANR2034E SELECT: No match found using this criteria.\n\nANS8002I Highest return code was "
           "11.\n"},
      {"short", true, none, "ANR2034E SELECT: No match found using this criteria.\n"},
  };
  for (const auto& [level, dataOnly, command, file] : cases) {
    SCOPED_TRACE(std::string(level) + (dataOnly ? " -dataonly=yes " : " ") + command);
    ScopedEnv client("DSMADMC_SIM_CLIENT_LEVEL", level);
    std::vector<std::string> args = {"-outfile=out.txt", "-comma", command};
    if (dataOnly) args.insert(args.begin(), "-dataonly=yes");
    ProgramResult r = Run(args);
    EXPECT_EQ(r.status, command == ok ? 0 : 11);
    EXPECT_EQ(ReadFile(work_.file("out.txt")), file);
  }
  ScopedEnv client("DSMADMC_SIM_CLIENT_LEVEL", "8.2");
  EXPECT_EQ(Run({"-comma", ok}).status, 2);
}

// A server in a decimal-comma locale prints figures with a comma (quoted in
// comma output); text that only looks like a figure keeps its point.
TEST_F(SimulatorTest, DecimalCommaSetting) {
  Write("settings.csv", "NAME,VALUE\nDECIMAL_COMMA,1\n");
  EXPECT_EQ(DataLines({"SELECT VOLUME_NAME, EST_CAPACITY_MB FROM VOLUMES WHERE STGPOOL_NAME = 'POOLA'"}),
            (Rows{"V1,\"100,0\"", "V2,\"200,0\""}));
  EXPECT_EQ(DataLines({"SELECT VOLUME_NAME FROM VOLUMES WHERE EST_CAPACITY_MB = 10.0"}), Rows{"/d/1.dsm"});
}

// (A select that matches nothing: 11, in ClientLevelsWriteWhatTheirClientsWrite.)
TEST_F(SimulatorTest, ExitStatuses) {
  const std::tuple<const char*, const char*, const char*, int> cases[] = {
      // args, id, password, status
      {"query node", "nobody", "Se-cret1", 137},
      {"-outfile=bad.txt query node", "admin", "se-cret1", 137},
      {"-bogus=1 query node", "admin", "Se-cret1", 2},
      {"-d=yes query node", "admin", "Se-cret1", 2},
      {"query node NOPE", "admin", "Se-cret1", 11},
  };
  for (const auto& [args, id, password, status] : cases) {
    SCOPED_TRACE(args);
    ProgramResult r = Run(Words(args), password, id);
    EXPECT_EQ(r.status, status) << r.out;
    EXPECT_EQ(r.out.find("ANS1051I Invalid user id or password") != std::string::npos, status == 137);
  }
  EXPECT_FALSE(FileExists(work_.file("bad.txt")));
  for (const char* bad : {"SELECT NOPE FROM DRIVES", "SELECT * FROM ADMINS"}) EXPECT_EQ(Run({bad}).status, 3);
}

TEST(GenerateSiteTest, SameSeedSameSite) {
  TempDir a, b, c;
  const std::string generate =
      BinDir() +
      "/dsmadmc generate-site --nodes 7 --schedules 3 --libraries 2 --volumes 15 --jobs-per-node 4 --seed ";
  for (const std::string& args : {"5 " + a.path(), "5 " + b.path(), "6 " + c.path()}) {
    ASSERT_EQ(RunProgram(Words(generate + args)).status, 0);
  }
  ASSERT_EQ(ListDir(a.path()), ListDir(b.path()));
  bool anyDiffers = false;
  for (const std::string& n : ListDir(a.path())) {
    SCOPED_TRACE(n);
    EXPECT_EQ(ReadFile(a.file(n)), ReadFile(b.file(n)));
    anyDiffers = anyDiffers || ReadFile(a.file(n)) != ReadFile(c.file(n));
  }
  EXPECT_TRUE(anyDiffers);
  EXPECT_EQ(Lines(ReadFile(a.file("nodes.csv"))).size(), 8u);
  EXPECT_EQ(Lines(ReadFile(a.file("summary.csv"))).size(), 29u);
  EXPECT_EQ(RunProgram(Words(BinDir() + "/dsmadmc generate-site --nodes x " + a.path())).status, 2);
}

}  // namespace
