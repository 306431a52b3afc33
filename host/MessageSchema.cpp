#include "host/MessageSchema.h"

#include <map>
#include <tuple>
#include <utility>

#include "host/Messages.h"

namespace {

using Factory = std::unique_ptr<CNMessageBase> (*)();

template <typename T>
std::unique_ptr<CNMessageBase> Make() {
  return std::make_unique<T>();
}

struct ClassEntry {
  int group;
  int cls;
  const char* ns;
  const char* name;
  Factory factory;
};

struct FieldEntry {
  int group;
  int cls;
  int index;
  int id;
  const char* name;
};

// Plain arrays, so that a class listed twice or a field of a class that is
// not listed is just one more entry; the look-up tables keep the first.
constexpr ClassEntry kClasses[] = {
#define ZY_MESSAGE(ns, name, g, c) {g, c, #ns, #name, &Make<ns::name>},
#define ZY_FIELD(g, c, index, id, fieldName)
#include "host/schema/messages.def"
#undef ZY_MESSAGE
#undef ZY_FIELD
};

constexpr bool SameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// A class may be listed twice, but two classes must never share a type
// pair: CreateMessage would hand out the wrong one of them.
constexpr bool EveryPairNamesOneClass() {
  constexpr size_t n = sizeof(kClasses) / sizeof(kClasses[0]);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      const ClassEntry& a = kClasses[i];
      const ClassEntry& b = kClasses[j];
      if (a.group == b.group && a.cls == b.cls && !(SameText(a.ns, b.ns) && SameText(a.name, b.name))) {
        return false;
      }
    }
  }
  return true;
}
static_assert(EveryPairNamesOneClass(), "two message classes in schema/*.def share one (group, class) pair");

const FieldEntry kFields[] = {
#define ZY_MESSAGE(ns, name, g, c)
#define ZY_FIELD(g, c, index, id, fieldName) {g, c, index, id, #fieldName},
#include "host/schema/messages.def"
#undef ZY_MESSAGE
#undef ZY_FIELD
    {0, 0, 0, 0, nullptr},  // keeps the array non-empty
};

struct Schema {
  std::map<std::pair<int, int>, const ClassEntry*> classes;
  std::map<std::tuple<int, int, int, int>, const char*> fields;
};

const Schema& GetSchema() {
  static const Schema* schema = [] {
    auto* s = new Schema();  // never destroyed: look-ups may run at exit
    for (const ClassEntry& e : kClasses) s->classes.emplace(std::make_pair(e.group, e.cls), &e);
    for (const FieldEntry& e : kFields) {
      if (e.name != nullptr) s->fields.emplace(std::make_tuple(e.group, e.cls, e.index, e.id), e.name);
    }
    return s;
  }();
  return *schema;
}

const ClassEntry* FindClass(int group, int cls) {
  const Schema& schema = GetSchema();
  auto it = schema.classes.find(std::make_pair(group, cls));
  return it == schema.classes.end() ? nullptr : it->second;
}

}  // namespace

std::string MessageGroupName(int group) {
  switch (group) {
    case 30:
      return "App";
    case 32:
      return "FDC";
    case 12:
      return "TMMsg";
    case 18:
      return "ZyEntities";
    default:
      return std::string();
  }
}

std::string MessageClassName(int group, int cls) {
  const ClassEntry* entry = FindClass(group, cls);
  return entry == nullptr ? std::string() : std::string(entry->name);
}

std::string MessageTypeName(int group, int cls) {
  const ClassEntry* entry = FindClass(group, cls);
  if (entry == nullptr) return std::string();
  return std::string(entry->ns) + "::" + entry->name;
}

std::string MessageFieldName(int group, int cls, int index, int id) {
  const Schema& schema = GetSchema();
  auto it = schema.fields.find(std::make_tuple(group, cls, index, id));
  return it == schema.fields.end() ? std::string() : std::string(it->second);
}

std::unique_ptr<CNMessageBase> CreateMessage(int group, int cls) {
  const ClassEntry* entry = FindClass(group, cls);
  if (entry == nullptr) return std::make_unique<CNMessageBase>(group, cls);
  return entry->factory();
}
