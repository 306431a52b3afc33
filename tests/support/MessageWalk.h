// Read-only, null-safe walks over messages for the builder tests: a
// missing object or list reads as null or empty, so a check fails instead
// of crashing.
#pragma once

#include <cstddef>

#include "host/Messages.h"

namespace testsupport {

// The object in field `f` of `m`.
inline const CNMessageBase* Sub(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->object();
}
// The size of the list in field `f` of `m`.
inline size_t Count(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr || field->list() == nullptr ? 0 : field->list()->size();
}
// Element `i` of the list in field `f` of `m`.
inline const CNMessageBase* Item(const CNMessageBase* m, FieldRef f, size_t i) {
  return i < Count(m, f) ? m->findField(f.index)->list()->at(i) : nullptr;
}

}  // namespace testsupport
