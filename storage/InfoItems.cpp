#include "storage/InfoItems.h"

#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"

using namespace zyfields;

bool AppendInfoItems(CNMessageBase* item, FieldRef info, std::initializer_list<InfoRow> rows) {
  CNMessageList* items = List(Object<FDC::InfoItemList>(item, info), FDC::InfoItemList::infoItems);
  if (items == nullptr) return false;
  for (const InfoRow& row : rows) {
    // Filled in place: appending a finished item would copy it.
    CNMessageBase* entry = items->Append(FDC::InfoItem());
    SetInt(entry, FDC::InfoItem::key, row.key);
    SetInt(entry, FDC::InfoItem::valueType, static_cast<long long>(row.type));
    SetString(entry, FDC::InfoItem::value, row.value);
  }
  return true;
}

bool AppendLibraryHost(FDC::ForeignLibraryItem* library, const std::string& hostName,
                       const std::string& field9) {
  using Host = FDC::ForeignLibraryHost;
  auto* hosts = Object<FDC::ForeignLibraryHostList>(library, FDC::ForeignLibraryItem::hosts);
  auto* host = AppendNew<Host>(hosts, FDC::ForeignLibraryHostList::hostItems);
  if (host == nullptr) return false;
  SetString(host, Host::serverName, CForeignHandlerTSM::GetServerName());
  SetString(host, Host::hostName, hostName);
  SetString(host, Host::field9, field9);
  SetInt(host, Host::field13, 1);
  SetInt(host, Host::field14, 0);
  SetInt(host, Host::field15, 0);
  return true;
}
