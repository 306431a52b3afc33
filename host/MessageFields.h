// Typed access to message fields through the schema's field constants
// (FieldRef, generated in host/Messages.h), over the host's get-or-create
// accessors. Used by every builder and by tests.
//
// The accessors return pointers into `parent`: valid until that field is
// replaced or `parent` is destroyed. They return null for a null parent or
// when the field holds a message of another class.
#pragma once

#include <string>
#include <vector>

#include "host/CNMessageBase.h"

namespace zyfields {

inline void SetString(CNMessageBase* m, FieldRef f, const std::string& v) { m->setstring(f.index, f.id, v); }
inline void SetInt(CNMessageBase* m, FieldRef f, long long v) { m->setint64(f.index, f.id, v); }
inline std::string GetString(const CNMessageBase* m, FieldRef f) { return m->getstring(f.index, f.id); }
inline long long GetInt(const CNMessageBase* m, FieldRef f) { return m->getint64(f.index, f.id); }
inline bool IsSet(const CNMessageBase* m, FieldRef f) { return m->isSet(f.index); }

// Nested message of field `f`, created as a T when absent.
template <class T>
T* Object(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr) return nullptr;
  CNMessageBase** slot =
      parent->getObjectAccessor(true, !parent->isSet(f.index), f.index, f.id, T::kGroup, T::kClass);
  return slot == nullptr ? nullptr : dynamic_cast<T*>(*slot);
}

// Nested message of field `f`; null when absent (nothing is created).
template <class T>
T* ExistingObject(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr || !parent->isSet(f.index)) return nullptr;
  return Object<T>(parent, f);
}

// Stores a copy of `value` into field `f`.
inline void SetObject(CNMessageBase* parent, FieldRef f, const CNMessageBase& value) {
  parent->setObjectAccessor(&value, f.index, f.id);
}

// The list of field `f`, created when absent.
inline CNMessageList* List(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr) return nullptr;
  CNMessageList** slot = parent->getlistobject(f.index, f.id, !parent->isSet(f.index));
  return slot == nullptr ? nullptr : *slot;
}

// Appends an empty T to the list of field `f` and returns the element in
// the list, to be filled in place.
template <class T>
T* AppendNew(CNMessageBase* parent, FieldRef f) {
  CNMessageList* list = List(parent, f);
  if (list == nullptr) return nullptr;
  return dynamic_cast<T*>(list->Append(T()));
}

inline std::vector<int>* IntList(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr) return nullptr;
  std::vector<int>** slot = parent->getlistint(f.index, f.id, !parent->isSet(f.index));
  return slot == nullptr ? nullptr : *slot;
}

inline std::vector<unsigned long>* ULongList(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr) return nullptr;
  std::vector<unsigned long>** slot = parent->getlistulong(f.index, f.id, !parent->isSet(f.index));
  return slot == nullptr ? nullptr : *slot;
}

}  // namespace zyfields
