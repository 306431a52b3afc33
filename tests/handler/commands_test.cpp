#include <gtest/gtest.h>

#include <string>

#include "handler/CForeignHandlerTSMConfig.h"
#include "handler/TSMCommands.h"

namespace {

using namespace tsmcmd;

TSMAdminInfo Admin() {
  TSMAdminInfo admin;
  admin.SetLogin("admin");
  admin.SetPassword("secret");
  return admin;
}

// Each command line written out in full, so that a changed blank shows.
TEST(CommandsTest, FormALinesByteForByte) {
  const TSMAdminInfo admin = Admin();
  const std::string head = "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=secret -outfile=";
  struct Case {
    std::string built;
    std::string expected;
  };
  const Case cases[] = {
      {FormA("/opt/tsm/bin/", admin, kNodeFile, kNodeQueryPrefix + std::string() + kNodeQuerySuffix),
       head + "ixr_node.txt -dataonly=yes -dateformat=1 -comma query node  format=detailed"},
      {FormA("/opt/tsm/bin/", admin, kNodeFile, kNodeQueryPrefix + std::string("N1") + kNodeQuerySuffix),
       head + "ixr_node.txt -dataonly=yes -dateformat=1 -comma query node N1 format=detailed"},
      {FormA("/opt/tsm/bin/", admin, kScheduleFile, kScheduleQuery),
       head + "ixr_sched.txt -dateformat=1 -comma query schedule format=detailed"},
      {FormA("/opt/tsm/bin/", admin, kScheduleFile,
             kScheduleQuery + std::string(kClientScheduleNodes) + "N1"),
       head + "ixr_sched.txt -dateformat=1 -comma query schedule format=detailed Nodes=N1"},
      {FormA("/opt/tsm/bin/", admin, kAssocFile, kAssocQueryPrefix + std::string("STANDARD DAILY'")),
       head + "ixr_assoc.txt -dateformat=1 -comma 'query association STANDARD DAILY'"},
      {FormA("/opt/tsm/bin/", admin, kDb2FilePrefix + std::string("N1.txt"),
             kDb2QueryPrefix + QuoteSqlValue("N1") + kDb2QuerySuffix),
       head +
           "ixr_db2_N1.txt -dateformat=1 -comma  select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, "
           "filespaces ff where bb.node_name = 'N1'  and bb.FILESPACE_ID = ff.FILESPACE_ID AND "
           "ff.FILESPACE_TYPE LIKE 'API:DB2%' "},
      {FormA("", admin, kNodeFile, ""), "\"dsmadmc\" -id=admin -password=secret -outfile=ixr_node.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.built);
}

TEST(CommandsTest, FormBLinesByteForByte) {
  const TSMAdminInfo admin = Admin();
  const std::string head = "dsmadmc -id=admin -password=secret -outfile=";
  struct Case {
    std::string built;
    std::string expected;
  };
  const Case cases[] = {
      {FormB(admin, kConfigFile, kVersionSelect, true),
       "dsmadmc -id=admin -password=secret -dataonly=yes -outfile=ixr_tsmconfig.txt -comma \"SELECT VERSION, "
       "RELEASE FROM STATUS\""},
      {FormB(admin, kStoragePolicyFile, kStoragePolicySelect),
       head +
           "ixr_storagepolicy.txt -comma \"SELECT DISTINCT LV.LIBRARY_NAME, VV.STGPOOL_NAME FROM VOLUMES VV, "
           "LIBVOLUMES LV  WHERE LV.VOLUME_NAME = VV.VOLUME_NAME\""},
      {FormB(admin, kLibrariesFile, kLibrariesSelect),
       head + "ixr_libraries.txt -comma \" SELECT * FROM LIBRARIES\""},
      {FormB(admin, kDrivesFilePrefix + std::string("LIB1.txt"),
             kDrivesSelectPrefix + QuoteSqlValue("LIB1") + "'"),
       head + "ixr_drives_LIB1.txt -comma \"SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB1'\""},
      {FormB(admin, kMediaFile, kMediaSelect),
       head + "ixr_media.txt -comma \"SELECT VV.VOLUME_NAME, VV.DEVCLASS_NAME, VV.EST_CAPACITY_MB, "
              "LV.LIBRARY_NAME, "
              "VV.STGPOOL_NAME FROM VOLUMES VV, LIBVOLUMES LV  WHERE LV.VOLUME_NAME = VV.VOLUME_NAME\""},
      {FormB(admin, kStandAloneLibsFile, kStandAloneLibsSelect),
       head +
           "ixr_standalonelibs.txt -comma \"SELECT * FROM VOLUMES WHERE DEVCLASS_NAME IN ('FILE', 'DISK')\""},
      {FormB(admin, kJobsFilePrefix + std::string("N1.txt"),
             kJobsSelectPrefix + QuoteSqlValue("N1") + kJobsSelectSuffix),
       head + "ixr_jobs_N1.txt -comma \"SELECT SCHEDULE_NAME, START_TIME, END_TIME, SUCCESSFUL, BYTES FROM "
              "SUMMARY SS "
              "WHERE SS.ACTIVITY = 'BACKUP' AND SS.ENTITY LIKE 'N1' ORDER BY START_TIME\""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.built);
}

TEST(CommandsTest, ConfigFetcherCommandLine) {
  CTSMConfigFetcher fetcher;
  fetcher.SetLogin("admin");
  fetcher.SetPassword("secret");
  EXPECT_STREQ("ixr_tsmconfig.txt", fetcher._GetFileNameForData());
  EXPECT_EQ(
      "dsmadmc -id=admin -password=secret -dataonly=yes -outfile=ixr_tsmconfig.txt -comma \"SELECT VERSION, "
      "RELEASE FROM STATUS\"",
      fetcher._GetCommandLine());
}

TEST(CommandsTest, QuoteSqlValueDoublesQuotes) {
  EXPECT_EQ("LIB 1", QuoteSqlValue("LIB 1"));
  EXPECT_EQ("O''BRIEN", QuoteSqlValue("O'BRIEN"));
  EXPECT_EQ("'''' OR 1=1 --", QuoteSqlValue("'' OR 1=1 --"));
  EXPECT_EQ("", QuoteSqlValue(""));
}

TEST(CommandsTest, SafeFileNameParts) {
  struct Case {
    std::string name;
    bool safe;
  };
  const Case cases[] = {
      {"NODE1", true}, {"LIB 1", true}, {"..x", true},     {"", false},     {".", false},
      {"..", false},   {"a/b", false},  {"../etc", false}, {"/abs", false}, {std::string("a\0b", 3), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.safe, IsSafeFileNamePart(c.name));
  }
}

}  // namespace
