// The five storage parsers on output files written by the test: header
// lines, field-count thresholds, the columns each record takes, and the
// drive queries the library parser runs.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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

enum Kind { kPolicies, kMedia, kStandAlone, kLibraries, kDrives };

// Runs the fetcher of `kind` over `content` as its output file (written by
// the scripted dsmadmc, or gathered; none when empty) and describes the
// records, "a|b|c" each, blank-separated. Drives come through the parse of
// one library, LIB1.
std::string Parse(Kind kind, const std::string& content, bool existingFiles) {
  Workspace w(existingFiles);
  const char* files[] = {"ixr_storagepolicy.txt", "ixr_media.txt", "ixr_standalonelibs.txt",
                         "ixr_libraries.txt", "ixr_drives_LIB1.txt"};
  std::map<std::string, std::string> outputs = {{files[kind], content}};
  if (kind == kDrives) outputs[files[kLibraries]] = kHeader + Line(17, {{0, "LIB1"}});
  for (const auto& [file, text] : outputs) {
    if (!text.empty()) w.fake.On(file, text);
    if (existingFiles) w.Save(file, text);
  }
  std::string rows;
  auto add = [&rows](const std::string& row) { rows += (rows.empty() ? "" : " ") + row; };
  CTSMSPFetcher policies;
  CTSMMedia media;
  CTSMStandAloneLibs standAlone;
  CTSMLibs libraries;
  CForeignCmdExecBase* fetchers[] = {&policies, &media, &standAlone, &libraries, &libraries};
  EXPECT_TRUE(fetchers[kind]->FetchData(nullptr));
  for (const auto& r : *policies.get_tsmsp()) add(r.get_libName() + "|" + r.get_spName());
  for (const auto& r : *media.get_tsmmedia())
    add(r.get_mediaName() + "|" + r.get_mediaType() + "|" + r.get_mediaCapacity() + "|" +
        r.get_libraryName());
  for (const auto& r : *standAlone.get_stdaloneLibs()) {
    add(r.get_libName() + "|" + r.get_storagePath() + "|" + r.get_spName() + "|" + r.get_storageType() + "|" +
        std::to_string(r.get_deviceStorage()) + "|" + r.get_deviceStatus());
  }
  for (auto& r : *libraries.get_tsmlibs()) {
    if (kind == kLibraries) add(r.get_libName() + "|" + r.get_libType() + "|" + r.get_libSerial());
    for (const TSMDrive& d : *r.get_drives()) {
      add(d.get_driveName() + "|" + d.get_driveType() + "|" + (d.get_isOnline() ? "on" : "off") + "|" +
          d.get_driveSerial());
    }
  }
  return rows;
}

TEST(StorageParsers, HeaderLinesThresholdsAndColumns) {
  const struct {
    const char* what;
    Kind kind;
    std::string content;
    bool existingFiles;
    std::string expected;
  } cases[] = {
      {"policy: 1 field dropped, 2 kept", kPolicies, kHeader + Line(1) + Line(2) + Line(3), false,
       "f0|f1 f0|f1"},
      {"media: 4 dropped, capacity as printed", kMedia, kHeader + Line(4) + Line(5, {{2, "2048.5"}}), false,
       "f0|f1|2048.5|f3"},
      {"media: a decimal comma (quoted) is a decimal point", kMedia, kHeader + Line(5, {{2, "2500000,0"}}),
       false, "f0|f1|2500000.0|f3"},
      {"stand-alone: a decimal comma, whole megabytes", kStandAlone, kHeader + Line(24, {{3, "2048,5"}}),
       false, "f0|f0|f1|f2|2048|f6"},
      {"stand-alone: 23 dropped, whole megabytes", kStandAlone,
       kHeader + Line(23) + Line(24, {{3, "2048.5"}}) + Line(24, {{3, ""}}), true,
       "f0|f0|f1|f2|2048|f6 f0|f0|f1|f2|0|f6"},
      {"stand-alone: a quoted path with a comma and blanks is one field", kStandAlone,
       kHeader + Line(24, {{0, "/tsm/file/a, b.bfs"}, {3, "x"}}), false,
       "/tsm/file/a, b.bfs|/tsm/file/a, b.bfs|f1|f2|0|f6"},
      {"libraries: 16 dropped, serial only past 17 fields", kLibraries,
       kHeader + Line(16) + Line(17) + Line(18) + Line(18, {{17, ""}}), false, "f0|f1| f0|f1|f17 f0|f1|"},
      {"drives live: header skipped, 13 dropped, online exactly YES", kDrives,
       kHeader + Line(13) + Line(14, {{3, "YES"}}) + Line(14, {{3, "yes"}, {13, ""}}), false,
       "f1|f2|on|f13 f1|f2|off|"},
      {"drives from existing files: no header", kDrives, Line(14) + Line(14, {{3, "YES"}}), true,
       "f1|f2|off|f13 f1|f2|on|f13"},
      {"no output file reads as empty", kMedia, "", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Parse(c.kind, c.content, c.existingFiles), c.expected);
  }
}

TEST(StorageParsers, OneDriveQueryPerLibraryInFileOrder) {
  Workspace w;
  FakeDsmadmc& dsmadmc = w.fake;
  std::string libraries = kHeader;
  for (const char* n : {"LIB1", "O'HARE", "A/B", "..", "LIB 2", "RSM\"X", "LIB3"})
    libraries += Line(18, {{0, n}});
  dsmadmc.On("ixr_libraries.txt", libraries);
  dsmadmc.On("ixr_drives_LIB1.txt", kHeader + Line(14, {{1, "D1"}}) + Line(14, {{1, "D2"}}));
  dsmadmc.FailOn("ixr_drives_LIB3.txt", 11);  // no drives: TSM says no match
  CTSMLibs fetcher;
  ASSERT_TRUE(fetcher.FetchData(nullptr));
  std::string drives;
  for (TSMLibs& lib : *fetcher.get_tsmlibs()) drives += std::to_string(lib.get_drives()->size());
  EXPECT_EQ(drives, "2000000");
  // Names that would break the select or the file name run nothing.
  ASSERT_EQ(dsmadmc.commands().size(), 3u);
  EXPECT_EQ(dsmadmc.runs()[1][3], "-outfile=ixr_drives_LIB1.txt");
  EXPECT_EQ(dsmadmc.runs()[1][5], "SELECT * FROM DRIVES WHERE LIBRARY_NAME = 'LIB1'");
  EXPECT_EQ(dsmadmc.runs()[2][3], "-outfile=ixr_drives_LIB3.txt");
  for (const char* refused : {"[O'HARE]", "[A/B]", "[..]", "[LIB 2]", "[RSM\"X]"})
    EXPECT_NE(w.log.text().find("Refusing library name " + std::string(refused)), std::string::npos)
        << refused;
  EXPECT_NE(w.log.text().find("[LIB1] library. [2] drives discovered"), std::string::npos);
}

}  // namespace
