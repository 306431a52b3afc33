// The five storage parsers on output files written by the test: header
// lines, field-count thresholds, the columns each record takes, and the
// drive queries the library parser runs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "storage/CForeignHandlerTSMDrive.h"
#include "storage/CForeignHandlerTSMLibs.h"
#include "storage/CForeignHandlerTSMMedia.h"
#include "storage/CForeignHandlerTSMStandAloneLibs.h"
#include "storage/CForeignHandlerTSMStoragePolicy.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/Guards.h"

namespace {

using namespace testsupport;

// Four lines with enough commas to pass every threshold: a parser that
// does not drop them makes records of them.
const std::string kCommas = std::string(30, ',') + "\n";
const std::string kHeader = kCommas + kCommas + kCommas + kCommas;

// A line of `n` fields "f0".."f<n-1>", with `set` replacing some.
std::string Line(size_t n, const std::vector<std::pair<size_t, std::string>>& set = {}) {
  std::vector<std::string> f;
  for (size_t i = 0; i < n; ++i) f.push_back("f" + std::to_string(i));
  for (const auto& [i, v] : set) f[i] = v;
  return CsvLine(f) + "\n";
}

// Runs a fetcher over `content` (live: dsmadmc "writes" it) and describes
// its records, one "a|b|c" per record joined by blanks. Empty content:
// no file at all.
using Describe = std::function<std::string(const std::string& content, bool existingFiles)>;

template <class Fetcher, class Records, class Row>
Describe Runner(Records* (Fetcher::*get)(), const char* file, Row row) {
  return [=](const std::string& content, bool existingFiles) {
    TempDir dir;
    ScopedChdir cd(dir.path());
    ScopedExistingFiles mode(existingFiles, dir.path() + "/");
    FakeDsmadmc dsmadmc;
    if (!content.empty()) dsmadmc.On(file, content);
    if (existingFiles && !content.empty()) WriteFile(file, content);
    Fetcher fetcher;
    EXPECT_TRUE(fetcher.FetchData(nullptr));
    std::string out;
    for (const auto& r : *(fetcher.*get)()) out += (out.empty() ? "" : " ") + row(r);
    return out;
  };
}

std::string DriveRow(const TSMDrive& d) {
  return d.get_driveName() + "|" + d.get_driveType() + "|" + (d.get_isOnline() ? "on" : "off") + "|" +
         d.get_driveSerial();
}

// The drives of library LIB1 parsed from `content`.
std::string Drives(const std::string& content, bool existingFiles) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles mode(existingFiles, dir.path() + "/");
  FakeDsmadmc dsmadmc;
  dsmadmc.On("ixr_drives_LIB1.txt", content);
  if (existingFiles) WriteFile("ixr_drives_LIB1.txt", content);
  CTSMDrive fetcher;
  fetcher.set_libraryName("LIB1");
  std::vector<TSMDrive> drives;
  EXPECT_TRUE(fetcher.FetchData(&drives));
  std::string out;
  for (const TSMDrive& d : drives) out += (out.empty() ? "" : " ") + DriveRow(d);
  return out;
}

TEST(StorageParsers, HeaderLinesThresholdsAndColumns) {
  const Describe policies = Runner(&CTSMSPFetcher::get_tsmsp, "ixr_storagepolicy.txt",
                                   [](auto& r) { return r.get_libName() + "|" + r.get_spName(); });
  const Describe media = Runner(&CTSMMedia::get_tsmmedia, "ixr_media.txt", [](auto& r) {
    return r.get_mediaName() + "|" + r.get_mediaType() + "|" + r.get_mediaCapacity() + "|" +
           r.get_libraryName();
  });
  const Describe standAlone =
      Runner(&CTSMStandAloneLibs::get_stdaloneLibs, "ixr_standalonelibs.txt", [](auto& r) {
        return r.get_libName() + "|" + r.get_storagePath() + "|" + r.get_spName() + "|" +
               r.get_storageType() + "|" + std::to_string(r.get_deviceStorage()) + "|" + r.get_deviceStatus();
      });
  const Describe libraries = Runner(&CTSMLibs::get_tsmlibs, "ixr_libraries.txt", [](auto& r) {
    return r.get_libName() + "|" + r.get_libType() + "|" + r.get_libSerial();
  });
  struct Case {
    const char* what;
    Describe parse;
    std::string content;
    bool existingFiles;
    std::string expected;
  };
  const Case cases[] = {
      {"policy: 1 field dropped, 2 kept", policies, kHeader + Line(1) + Line(2) + Line(3), false,
       "f0|f1 f0|f1"},
      {"policy: header skipped with existing files too", policies, kHeader + Line(2), true, "f0|f1"},
      {"media: 4 dropped, capacity as printed", media, kHeader + Line(4) + Line(5, {{2, "2048.5"}}), false,
       "f0|f1|2048.5|f3"},
      {"stand-alone: 23 dropped, whole megabytes", standAlone,
       kHeader + Line(23) + Line(24, {{3, "2048.5"}}) + Line(24, {{3, ""}}), true,
       "f0|f0|f1|f2|2048|f6 f0|f0|f1|f2|0|f6"},
      {"stand-alone: a quoted path with a comma and blanks is one field", standAlone,
       kHeader + Line(24, {{0, "/tsm/file/a, b.bfs"}, {3, "x"}}), false,
       "/tsm/file/a, b.bfs|/tsm/file/a, b.bfs|f1|f2|0|f6"},
      {"libraries: 16 dropped, serial only past 17 fields", libraries,
       kHeader + Line(16) + Line(17) + Line(18) + Line(18, {{17, ""}}), false, "f0|f1| f0|f1|f17 f0|f1|"},
      {"drives live: header skipped, 13 dropped, online exactly YES", Drives,
       kHeader + Line(13) + Line(14, {{3, "YES"}}) + Line(14, {{3, "yes"}, {13, ""}}), false,
       "f1|f2|on|f13 f1|f2|off|"},
      {"drives from existing files: no header", Drives, Line(14) + Line(14, {{3, "YES"}}), true,
       "f1|f2|off|f13 f1|f2|on|f13"},
      {"no output file reads as empty", media, "", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.parse(c.content, c.existingFiles), c.expected);
  }
}

TEST(StorageParsers, OneDriveQueryPerLibraryInFileOrder) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  LogCapture log;
  FakeDsmadmc dsmadmc;
  const std::string names[] = {"LIB1", "O'HARE", "A/B", "..", "LIB 2", "RSM\"X", "LIB3"};
  std::string libraries = kHeader;
  for (const std::string& n : names) libraries += Line(18, {{0, n}});
  dsmadmc.On("ixr_libraries.txt", libraries);
  dsmadmc.On("ixr_drives_LIB1.txt", kHeader + Line(14, {{1, "D1"}}) + Line(14, {{1, "D2"}}));
  dsmadmc.FailOn("ixr_drives_LIB3.txt", 11);  // no drives: TSM says no match
  CTSMLibs fetcher;
  fetcher.SetLogin("admin");
  fetcher.SetPassword("secret");
  ASSERT_TRUE(fetcher.FetchData(nullptr));
  ASSERT_EQ(fetcher.get_tsmlibs()->size(), 7u);
  std::string drives;
  for (TSMLibs& lib : *fetcher.get_tsmlibs()) drives += std::to_string(lib.get_drives()->size());
  EXPECT_EQ(drives, "2000000");
  // Names that would break the select or the file name run nothing.
  ASSERT_EQ(dsmadmc.commands().size(), 3u);
  EXPECT_EQ(dsmadmc.runs()[1][3], "-outfile=ixr_drives_LIB1.txt");
  EXPECT_EQ(dsmadmc.runs()[1][5], "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB1'");
  EXPECT_EQ(dsmadmc.runs()[2][3], "-outfile=ixr_drives_LIB3.txt");
  for (const char* refused : {"[O'HARE]", "[A/B]", "[..]", "[LIB 2]", "[RSM\"X]"}) {
    EXPECT_NE(log.text().find("Refusing library name " + std::string(refused)), std::string::npos) << refused;
  }
  EXPECT_NE(log.text().find("[LIB1] library. [2] drives discovered"), std::string::npos);
}

}  // namespace
