// Library items of the TSM libraries and drive items of their drives.
#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/ZyUtil.h"
#include "storage/InfoItems.h"
#include "storage/TSMLibs.h"

using namespace zyfields;
using Item = FDC::ForeignLibraryItem;

bool TSMLibs::BuildLib(FDC::ForeignLibraryList* list) const {
  auto* item = AppendNew<Item>(list, FDC::ForeignLibraryList::libraries);
  if (item == nullptr) return false;
  SetInt(item, Item::storageType, CForeignHandlerTSM::MapStorageType_TSMToZY(libType));
  SetInt(item, Item::field13, 1);
  SetString(item, Item::libraryName, libName);
  const std::string storageType = Decimal(GetInt(item, Item::storageType));
  bool ok = AppendInfoItems(
      item, Item::info,
      {{8, InfoValue::kInteger, storageType},
       {1, InfoValue::kText, "Library Migrated From TSM"},
       {2, InfoValue::kText, libType},
       {3, InfoValue::kText, "Unknown"},
       {4, InfoValue::kText, storageType},
       {5, InfoValue::kText, libSerial.empty() ? "Unknown" : libSerial},
       {6, InfoValue::kText, "Unknown"},
       {7, InfoValue::kText, "{0,0,0,0}"},
       {21, InfoValue::kInteger, "0"},
       {17, InfoValue::kInteger, Decimal(CForeignHandlerTSM::MapLibraryController_TSMToZY(libType))},
       {19, InfoValue::kInteger, "0"}});
  ok = AppendLibraryHost(item, GetHostName(), "N/A") && ok;
  // A library without drives gets no drive list.
  for (const TSMDrive& drive : drives) {
    ok = drive.BuildDrive(Object<FDC::ForeignDriveList>(item, Item::drives)) && ok;
  }
  return ok;
}

bool TSMDrive::BuildDrive(FDC::ForeignDriveList* list) const {
  auto* item = AppendNew<FDC::ForeignDriveItem>(list, FDC::ForeignDriveList::driveItems);
  return AppendInfoItems(
      item, FDC::ForeignDriveItem::info,
      {{151, InfoValue::kText, driveName},
       {155, InfoValue::kText, driveSerial.empty() ? "unknown" : driveSerial},
       {158, InfoValue::kInteger, "3"},
       {1, InfoValue::kText, "External StandAlone Drive"},
       {152, InfoValue::kText, driveType},
       {154, InfoValue::kText, "unknown"},
       {153, InfoValue::kText, driveType},
       {157, InfoValue::kInteger, "1"},
       {159, InfoValue::kText, CForeignHandlerTSM::GetServerName()},
       {161, InfoValue::kInteger, isOnline ? "1" : "0"},
       {160, InfoValue::kInteger, Decimal(CForeignHandlerTSM::MapDriveType_TSMToZY(driveType))}});
}
