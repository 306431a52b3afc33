// Media items of the volumes that sit in a library.
#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "storage/InfoItems.h"
#include "storage/TSMMedia.h"

using namespace zyfields;
using Item = FDC::ForeignMediaItem;

bool TSMMedia::BuildMedia(FDC::ForeignMediaList* list) const {
  auto* item = AppendNew<Item>(list, FDC::ForeignMediaList::mediaItems);
  if (item == nullptr) return false;
  SetInt(item, Item::field5, 2);
  SetString(item, Item::mediaName, mediaName);
  // Not checked against the library items: copied as the volume row says.
  SetString(item, Item::libraryName, libraryName);
  // The capacity goes as dsmadmc printed it, fraction and all.
  return AppendInfoItems(
      item, Item::info,
      {{208, InfoValue::kCapacity, mediaCapacity},
       {209, InfoValue::kCapacity, "0"},
       {11, InfoValue::kText, mediaName},
       {201, InfoValue::kInteger, Decimal(CForeignHandlerTSM::MapMediaType_TSMToZY(mediaType))},
       {207, InfoValue::kText, mediaName}});
}
