// The library select (CTSMLibs) with the drive select of each library
// (CTSMDrive), from gathered files, and the drive parser on a live output.
// Every library whose name can be used gets the drives the drive file
// holds, as the drive parser alone reads them; a live output (four header
// lines dropped) never gives more drives than the same file replayed.
//
// Input: the library file, kFileSeparator, the drive file (written for
// each library name found).
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "handler/TSMCommands.h"
#include "storage/CForeignHandlerTSMDrive.h"
#include "storage/CForeignHandlerTSMLibs.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

constexpr size_t kMaxDriveFiles = 8;
constexpr size_t kLongestFileName = 255;  // a longer name has no drive file to read

std::vector<TSMLibs> Libraries() {
  CTSMLibs libraries;
  libraries.FetchData(nullptr);
  return *libraries.get_tsmlibs();
}

size_t DrivesOf(const std::string& library, bool replay) {
  fuzzsupport::UseExistingFiles(replay);
  CTSMDrive fetcher;
  fetcher.set_libraryName(library);
  std::vector<TSMDrive> drives;
  fetcher._ParseData(&drives, fuzzsupport::ScratchFolder() + fetcher._GetFileNameForData());
  return drives.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  fuzzsupport::UseExistingFiles(true);
  const std::string input = fuzzsupport::AsString(data, size);
  const std::vector<std::string> files = fuzzsupport::SplitFiles(input, 2);
  fuzzsupport::WriteScratchFile(tsmcmd::kLibrariesFile, files[0]);

  std::set<std::string> withDrives;
  for (const TSMLibs& library : Libraries()) {
    const std::string fileName = tsmcmd::kDrivesFilePrefix + library.get_libName() + ".txt";
    if (withDrives.size() == kMaxDriveFiles || !tsmcmd::IsSafeItemName(library.get_libName()) ||
        fileName.size() > kLongestFileName) {
      continue;
    }
    withDrives.insert(library.get_libName());
    fuzzsupport::WriteScratchFile(fileName, files[1]);
  }
  const size_t drives = withDrives.empty() ? 0 : DrivesOf(*withDrives.begin(), true);
  if (!withDrives.empty()) Check(DrivesOf(*withDrives.begin(), false) <= drives, "live drives", input);

  fuzzsupport::UseExistingFiles(true);
  for (TSMLibs& library : Libraries()) {
    const size_t expected = withDrives.count(library.get_libName()) ? drives : 0;
    Check(library.get_drives()->size() == expected, "a library has the drives of its file", input);
  }
  return 0;
}
