// Info items: the numbered descriptive attributes of library, drive and
// media items, kept in the item's info container (FDC::InfoItemList).
// Builders list them as tables of rows, appended in table order.
#pragma once

#include <initializer_list>
#include <string>

#include "host/Messages.h"

// The valueType of an item: how the host reads its text.
enum class InfoValue : long long { kInteger = 1, kCapacity = 2, kText = 3 };

struct InfoRow {
  long long key;
  InfoValue type;
  std::string value;
};

// Appends `rows` in order to the info container in object field `info` of
// `item` (container and list created when absent). False when the
// container cannot be had (null item).
bool AppendInfoItems(CNMessageBase* item, FieldRef info, std::initializer_list<InfoRow> rows);

// Decimal text of an integer, as the info values carry it.
inline std::string Decimal(long long value) { return std::to_string(value); }

// The TSM server as the host of a library item: one FDC::ForeignLibraryHost
// appended to the host container of `library`. `field9` is "N/A" for
// libraries found on the server and empty for the default library.
bool AppendLibraryHost(FDC::ForeignLibraryItem* library, const std::string& hostName,
                       const std::string& field9);
