#include "storage/DefaultLibrary.h"

#include <cstdio>

#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "storage/InfoItems.h"
#include "storage/StoragePolicyNaming.h"

using namespace zyfields;
using Item = FDC::ForeignLibraryItem;

namespace {

constexpr long long kMagneticStorageType = 3;
// Devices of this type are no tape drives.
constexpr int kSkippedDeviceType = 1;

// Characters [from, from + count) of `text`; shorter at its end, empty
// when `from` lies beyond it.
std::string Piece(const std::string& text, size_t from, size_t count) {
  return from < text.size() ? text.substr(from, count) : std::string();
}

std::string Address(const CTSMDeviceInfo& device) {
  char text[64];
  std::snprintf(text, sizeof(text), "{%d, %d, %d, %d}", device.getid(), device.getlun(), device.getbus(),
                device.getport());
  return text;
}

void AppendTapeDrive(CNMessageList* drives, const CTSMDeviceInfo& device, long long storageType, int number) {
  FDC::ForeignDriveItem drive;
  const std::string id = device.getdeviceId();
  AppendInfoItems(&drive, FDC::ForeignDriveItem::info,
                  {{158, InfoValue::kInteger, Decimal(static_cast<int>(storageType))},
                   {151, InfoValue::kText, device.getdeviceName()},
                   {1, InfoValue::kText, id},
                   {152, InfoValue::kText, Piece(id, 0, 8)},
                   {153, InfoValue::kText, Piece(id, 8, 16)},
                   {154, InfoValue::kText, Piece(id, 24, 8)},
                   {155, InfoValue::kText, device.getserialNumber()},
                   {156, InfoValue::kText, device.getworldWideName()},
                   {157, InfoValue::kInteger, Decimal(number)},
                   {7, InfoValue::kText, Address(device)},
                   {159, InfoValue::kText, CForeignHandlerTSM::GenerateZyphorName()},
                   {161, InfoValue::kInteger, "1"},
                   {160, InfoValue::kInteger, "0"}});
  drives->Append(drive);
}

}  // namespace

int BuildDefaultLib(FDC::ForeignLibraries& libraries) {
  auto* list = Object<FDC::ForeignLibraryList>(&libraries, FDC::ForeignLibraries::libraryList);
  auto* item = AppendNew<Item>(list, FDC::ForeignLibraryList::libraries);
  SetString(item, Item::field6, "1");  // only the default library carries it
  SetString(item, Item::libraryName, GenerateLibraryName());
  SetInt(item, Item::field13, 1);
  SetInt(item, Item::storageType, kMagneticStorageType);
  auto* drive = AppendNew<FDC::ForeignDriveItem>(Object<FDC::ForeignDriveList>(item, Item::drives),
                                                 FDC::ForeignDriveList::driveItems);
  AppendInfoItems(drive, FDC::ForeignDriveItem::info,
                  {{158, InfoValue::kInteger, "3"},
                   {151, InfoValue::kText, "@aaab"},
                   {152, InfoValue::kText, "Magnetic"},
                   {153, InfoValue::kText, "Generic disk volume"},
                   {154, InfoValue::kText, "Magnetic"},
                   {155, InfoValue::kText, "@aaab"},
                   {157, InfoValue::kInteger, "1"},
                   {159, InfoValue::kText, CForeignHandlerTSM::GetServerName()}});
  AppendInfoItems(item, Item::info,
                  {{161, InfoValue::kInteger, "1"},
                   {8, InfoValue::kInteger, "3"},
                   {1, InfoValue::kText, "Default Media Library created for TSM"},
                   {11, InfoValue::kText, "(unknown)"},
                   {14, InfoValue::kText, "(unknown)"},
                   {15, InfoValue::kCapacity, "0"},
                   {16, InfoValue::kCapacity, "0"},
                   {2, InfoValue::kText, "Magnetic"},
                   {3, InfoValue::kText, "Magnetic"},
                   {4, InfoValue::kText, "Magnetic"},
                   {5, InfoValue::kText, "Magnetic"},
                   {7, InfoValue::kText, "{0,0,0,0}"},
                   {17, InfoValue::kInteger, "4"}});
  AppendLibraryHost(item, EvDebug::getHostName(), "");
  return 1;
}

int BuildTapeLibrary(FDC::ForeignLibraryItem& library, std::vector<CTSMDeviceInfo>* devices, int port) {
  CNMessageList* drives =
      List(Object<FDC::ForeignDriveList>(&library, Item::drives), FDC::ForeignDriveList::driveItems);
  if (drives == nullptr || devices == nullptr) return 1;
  const long long storageType = GetInt(&library, Item::storageType);
  int number = 0;
  for (const CTSMDeviceInfo& device : *devices) {
    if (device.getport() != port || device.getdeviceType() == kSkippedDeviceType) continue;
    AppendTapeDrive(drives, device, storageType, ++number);
  }
  return 1;
}
