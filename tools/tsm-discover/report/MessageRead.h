// Read-only walks over messages read back from hand-over files: the
// nested message or list of a field, null when the field is absent or of
// another kind. The pointers stay valid while the parent lives.
#pragma once

#include <string>

#include "host/CNMessageBase.h"

namespace tsmreport {

inline const CNMessageBase* Child(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->object();
}

inline const CNMessageList* Items(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->list();
}

// A field's value; 0 or "" for a null message or an absent field.
inline long long Int(const CNMessageBase* m, FieldRef f) {
  return m == nullptr ? 0 : m->getint64(f.index, f.id);
}
inline std::string Text(const CNMessageBase* m, FieldRef f) {
  return m == nullptr ? std::string() : m->getstring(f.index, f.id);
}

// Calls fn(const CNMessageBase&) for each element of list field `f`.
template <class Fn>
void ForEach(const CNMessageBase* m, FieldRef f, Fn fn) {
  if (const CNMessageList* list = Items(m, f)) {
    for (size_t i = 0; i < list->size(); ++i) fn(*list->at(i));
  }
}

}  // namespace tsmreport
