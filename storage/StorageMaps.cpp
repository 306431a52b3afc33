// Mappings of TSM library, drive, volume and device class words to host
// codes. Data tables searched in order; TSM words compare in any letter
// case.
#include "handler/CForeignHandlerTSM.h"
#include "host/ZyUtil.h"

namespace {

struct CodeRow {
  const char* word;
  int code;
};

constexpr CodeRow kDriveTypes[] = {
    {"DISK", 10001},
    {"3570", 221},
    {"3590", 81},
    {"3592", 85},
    {"4MM", 61},
    {"8MM", 22},
    {"DLT", 1},
    {"DTF", 141},
    {"ECARTRIDGE", 121},
    {"FILE", 10001},
    {"GENERICTAPE", 10001},
    {"LTO", 121},
    {"OPTICAL", 20003},
    {"QIC", 24},
    {"REMOVABLEFILE", 10001},
    {"SERVER", 10001},
    {"VOLSAFE", 122},
    {"WORM", 144},
    {"WORM12", 144},
    {"WORM14", 144},
};
constexpr int kOtherDriveType = 221;

constexpr CodeRow kLibraryControllers[] = {{"RSM", 2}, {"MANUAL", 1}};
constexpr int kOtherLibraryController = 1;

constexpr CodeRow kMediaTypes[] = {{"DISK", 2}, {"FILE", 2}};
constexpr int kOtherMediaType = 1;

constexpr CodeRow kDriveStatuses[] = {{"ONLINE", 1}};
constexpr int kOtherDriveStatus = 0;

// Every TSM library is the same host storage type.
constexpr int kTsmLibraryStorageType = 1;

template <size_t N>
int Lookup(const CodeRow (&rows)[N], const std::string& word, int otherwise) {
  for (const CodeRow& row : rows) {
    if (compareNoCase(word, row.word) == 0) return row.code;
  }
  return otherwise;
}

}  // namespace

int CForeignHandlerTSM::MapStorageType_TSMToZY(std::string /*libType*/) { return kTsmLibraryStorageType; }

int CForeignHandlerTSM::MapLibraryController_TSMToZY(std::string libType) {
  return Lookup(kLibraryControllers, libType, kOtherLibraryController);
}

int CForeignHandlerTSM::MapDriveType_TSMToZY(std::string deviceType) {
  return Lookup(kDriveTypes, deviceType, kOtherDriveType);
}

int CForeignHandlerTSM::MapDriveStatus_TSMToZY(const std::string& status) {
  return Lookup(kDriveStatuses, status, kOtherDriveStatus);
}

int CForeignHandlerTSM::MapMediaType_TSMToZY(std::string deviceClass) {
  return Lookup(kMediaTypes, deviceClass, kOtherMediaType);
}
