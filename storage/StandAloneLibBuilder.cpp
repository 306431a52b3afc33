// The library item and media item of a FILE or DISK volume. The volume
// name is used as it is: it may hold blanks and slashes.
#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/ZyUtil.h"
#include "storage/InfoItems.h"
#include "storage/TSMStandAloneLib.h"

using namespace zyfields;
using Item = FDC::ForeignLibraryItem;

namespace {
// Stand-alone magnetic library: storage type and drive count of the host.
constexpr long long kMagneticStorageType = 3;
}  // namespace

bool TSMStandAloneLib::BuildStandAloneLib(FDC::ForeignLibraryList* list) const {
  // Appended first and filled in place: a finished item would be copied.
  auto* item = AppendNew<Item>(list, FDC::ForeignLibraryList::libraries);
  if (item == nullptr) return false;
  SetInt(item, Item::storageType, kMagneticStorageType);
  SetString(item, Item::libraryName, libName);
  SetInt(item, Item::field13, CForeignHandlerTSM::MapDriveStatus_TSMToZY(deviceStatus));
  bool ok = AppendInfoItems(item, Item::info,
                            {{8, InfoValue::kInteger, "3"},
                             {1, InfoValue::kText, "External StandAlone Magnetic Library"},
                             {11, InfoValue::kText, storagePath},
                             {12, InfoValue::kCapacity, Decimal(deviceStorage)},
                             {13, InfoValue::kCapacity, "0"},
                             {14, InfoValue::kText, storagePath},
                             {2, InfoValue::kText, "Magnetic"},
                             {3, InfoValue::kText, "Magnetic"},
                             {4, InfoValue::kText, "Magnetic"},
                             {5, InfoValue::kText, "Magnetic"},
                             {7, InfoValue::kText, "{0,0,0,0}"},
                             {17, InfoValue::kInteger, "4"}});
  ok = AppendLibraryHost(item, GetHostName(), "N/A") && ok;
  auto* drive = AppendNew<FDC::ForeignDriveItem>(Object<FDC::ForeignDriveList>(item, Item::drives),
                                                 FDC::ForeignDriveList::driveItems);
  return AppendInfoItems(drive, FDC::ForeignDriveItem::info,
                         {{151, InfoValue::kText, libName},
                          {155, InfoValue::kText, libName},
                          {158, InfoValue::kInteger, "3"},
                          {1, InfoValue::kText, "External StandAlone Library"},
                          {152, InfoValue::kText, "Magnetic"},
                          {154, InfoValue::kText, "Magnetic"},
                          {153, InfoValue::kText, storageType},
                          {157, InfoValue::kInteger, "1"},
                          {159, InfoValue::kText, CForeignHandlerTSM::GetServerName()},
                          {161, InfoValue::kInteger, Decimal(GetInt(item, Item::field13))}}) &&
         ok;
}

bool TSMStandAloneLib::BuildMediaForStandAloneLib(FDC::ForeignMediaList* list) const {
  using Media = FDC::ForeignMediaItem;
  auto* item = AppendNew<Media>(list, FDC::ForeignMediaList::mediaItems);
  if (item == nullptr) return false;
  SetInt(item, Media::field5, 2);
  SetString(item, Media::mediaName, storagePath);
  SetString(item, Media::libraryName, libName);
  return AppendInfoItems(item, Media::info,
                         {{208, InfoValue::kCapacity, Decimal(deviceStorage)},
                          {209, InfoValue::kCapacity, "0"},
                          {11, InfoValue::kText, storagePath},
                          {201, InfoValue::kInteger, "2"},
                          {207, InfoValue::kText, libName}});
}
