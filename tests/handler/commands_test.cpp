// Every dsmadmc command line written out in full, so that a changed blank
// shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "handler/CForeignHandlerTSMConfig.h"
#include "handler/TSMCommands.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace tsmcmd;

TEST(CommandsTest, LinesByteForByte) {
  TSMAdminInfo admin;
  admin.SetLogin("admin");
  admin.SetPassword("secret");
  CTSMConfigFetcher config;
  config.SetLogin("admin");
  config.SetPassword("secret");
  EXPECT_STREQ("ixr_tsmconfig.txt", config._GetFileNameForData());
  const std::string bin = "/opt/tsm/bin/";
  const std::string a = "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=secret -outfile=";
  const std::string b = "dsmadmc -id=admin -password=secret -outfile=";
  const std::pair<std::string, std::string> cases[] = {
      {FormA(bin, admin, kNodeFile, kNodeQueryPrefix + std::string() + kNodeQuerySuffix),
       a + "ixr_node.txt -dataonly=yes -dateformat=1 -comma query node  format=detailed"},
      {FormA(bin, admin, kScheduleFile, kScheduleQuery),
       a + "ixr_sched.txt -dateformat=1 -comma query schedule format=detailed"},
      {FormA(bin, admin, kScheduleFile, kScheduleQuery + std::string(kClientScheduleNodes) + "N1"),
       a + "ixr_sched.txt -dateformat=1 -comma query schedule format=detailed Nodes=N1"},
      {FormA(bin, admin, kAssocFile, kAssocQueryPrefix + std::string("STANDARD DAILY'")),
       a + "ixr_assoc.txt -dateformat=1 -comma 'query association STANDARD DAILY'"},
      {FormA(bin, admin, kDb2FilePrefix + std::string("N1.txt"),
             kDb2QueryPrefix + QuoteSqlValue("N1") + kDb2QuerySuffix + kDb2QuerySameNode + kDb2QueryEnd),
       a + "ixr_db2_N1.txt -dateformat=1 -comma  \"select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, "
           "filespaces ff where bb.node_name = 'N1'  and bb.FILESPACE_ID = ff.FILESPACE_ID AND "
           "ff.FILESPACE_TYPE LIKE 'API:DB2%' AND ff.NODE_NAME = bb.NODE_NAME \""},
      {FormA("", admin, kNodeFile, ""), "\"dsmadmc\" -id=admin -password=secret -outfile=ixr_node.txt"},
      {config._GetCommandLine(),
       "dsmadmc -id=admin -password=secret -dataonly=yes -outfile=ixr_tsmconfig.txt -comma \"SELECT VERSION, "
       "RELEASE FROM STATUS\""},
      {FormB(admin, kStoragePolicyFile, kStoragePolicySelect),
       b + "ixr_storagepolicy.txt -comma \"SELECT DISTINCT LV.LIBRARY_NAME, VV.STGPOOL_NAME FROM VOLUMES VV, "
           "LIBVOLUMES LV  WHERE LV.VOLUME_NAME = VV.VOLUME_NAME\""},
      {FormB(admin, kLibrariesFile, kLibrariesSelect),
       b + "ixr_libraries.txt -comma \" SELECT * FROM LIBRARIES\""},
      {FormB(admin, kDrivesFilePrefix + std::string("LIB1.txt"),
             kDrivesSelectPrefix + QuoteSqlValue("L'1") + "'"),
       b + "ixr_drives_LIB1.txt -comma \"SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'L''1'\""},
      {FormB(admin, kMediaFile, kMediaSelect),
       b + "ixr_media.txt -comma \"SELECT VV.VOLUME_NAME, VV.DEVCLASS_NAME, VV.EST_CAPACITY_MB, "
           "LV.LIBRARY_NAME, "
           "VV.STGPOOL_NAME FROM VOLUMES VV, LIBVOLUMES LV  WHERE LV.VOLUME_NAME = VV.VOLUME_NAME\""},
      {FormB(admin, kStandAloneLibsFile, kStandAloneLibsSelect),
       b + "ixr_standalonelibs.txt -comma \"SELECT * FROM VOLUMES WHERE DEVCLASS_NAME IN ('FILE', 'DISK')\""},
      {FormB(admin, kJobsFilePrefix + std::string("N1.txt"), JobsSelect("N1")),
       b + "ixr_jobs_N1.txt -comma \"SELECT SCHEDULE_NAME, START_TIME, END_TIME, SUCCESSFUL, BYTES FROM "
           "SUMMARY SS "
           "WHERE SS.ACTIVITY = 'BACKUP' AND SS.ENTITY LIKE 'N1' ORDER BY START_TIME\""},
      // LIKE wildcards in a name match literally; the escape character itself is escaped.
      {JobsSelect("O'K_1%!"), kJobsSelectPrefix + std::string("O''K!_1!%!!' ESCAPE '!' ORDER BY START_TIME")},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, c.first);
}

TEST(CommandsTest, SafeFileNameParts) {
  const std::pair<std::string, bool> cases[] = {
      {"NODE1", true}, {"LIB 1", true}, {"..x", true},     {"", false},     {".", false},
      {"..", false},   {"a/b", false},  {"../etc", false}, {"/abs", false}, {std::string("a\0b", 3), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, IsSafeFileNamePart(c.first));
  }
}

// A password with blanks, quotes or backslashes reaches dsmadmc as one
// argument, byte for byte, and no piece of it reaches the log.
TEST(CommandsTest, SecretsWithBlanksAndQuotesStayOneArgument) {
  for (const std::string password : {"a b\"c'd", "x\ty", "p\\\\q", "'", "\"' '\"", "plain"}) {
    SCOPED_TRACE(password);
    testsupport::FakeDsmadmc fake;
    testsupport::LogCapture log(7);
    CTSMConfigFetcher fetcher;
    fetcher.SetLogin("ad min");
    fetcher.SetPassword(password);
    fetcher.FetchData(nullptr);
    ASSERT_EQ(1u, fake.runs().size());
    const std::vector<std::string>& argv = fake.runs()[0];
    EXPECT_EQ(1, std::count(argv.begin(), argv.end(), "-password=" + password));
    EXPECT_EQ(1, std::count(argv.begin(), argv.end(), "-id=ad min"));
    const std::string text = log.text();
    for (size_t i = 0; i + 3 <= password.size(); ++i) {
      EXPECT_EQ(std::string::npos, text.find(password.substr(i, 3))) << text;
    }
  }
}

}  // namespace
