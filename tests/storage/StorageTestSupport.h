// Helpers of the storage tests: a guard for the server name and one-line
// views of reply messages.
#pragma once

#include <string>

#include "handler/CForeignHandlerTSM.h"
#include "host/MessageSchema.h"
#include "host/Messages.h"

namespace storagetest {

// Sets the process-wide TSM server name; restores it after.
class ScopedServerName {
 public:
  explicit ScopedServerName(const std::string& name) : old_(CForeignHandlerTSM::m_serverName) {
    CForeignHandlerTSM::m_serverName = name;
  }
  ~ScopedServerName() { CForeignHandlerTSM::m_serverName = old_; }

 private:
  std::string old_;
};

inline const CNMessageBase* Sub(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->object.get();
}
inline const CNMessageList* Items(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->list.get();
}
inline const CNMessageBase* At(const CNMessageBase* m, FieldRef f, size_t i) {
  const CNMessageList* list = Items(m, f);
  return list != nullptr && i < list->size() ? list->at(i) : nullptr;
}

// The string and int64 fields of `m` as "name=value", in index order.
inline std::string Scalars(const CNMessageBase* m) {
  std::string text;
  if (m == nullptr) return text;
  for (const auto& [index, f] : m->fields()) {
    if (f.kind != FieldKind::kString && f.kind != FieldKind::kInt64) continue;
    text += (text.empty() ? "" : " ") + MessageFieldName(m->group(), m->classId(), f.index, f.id) + "=" +
            (f.kind == FieldKind::kString ? f.text : std::to_string(f.number));
  }
  return text;
}

// The info items of `item`'s info container as "key:valueType:value",
// in order, joined by "|".
inline std::string Infos(const CNMessageBase* item, FieldRef info) {
  const CNMessageList* items = Items(Sub(item, info), FDC::InfoItemList::infoItems);
  std::string text;
  for (size_t i = 0; items != nullptr && i < items->size(); ++i) {
    const CNMessageBase* e = items->at(i);
    text += (i > 0 ? "|" : "") + std::to_string(e->getint64(1, 1)) + ":" + std::to_string(e->getint64(3, 6)) +
            ":" + e->getstring(2, 2);
  }
  return text;
}

}  // namespace storagetest
