#include "host/MessageSchema.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>
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

using FieldEntry = SchemaField;

// Plain arrays, so that a class listed twice or a field of a class that is
// not listed is just one more entry; the look-up tables keep the first.
constexpr ClassEntry kClasses[] = {
#define ZY_MESSAGE(ns, name, g, c) {g, c, #ns, #name, &Make<ns::name>},
#define ZY_FIELD(ns, cls, index, id, fieldName, fieldKind)
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
#define ZY_FIELD(ns, cls, index, id, fieldName, fieldKind) \
  {ns::cls::kGroup, ns::cls::kClass, index, id, #fieldName, zyschema_kind::fieldKind},
#include "host/schema/messages.def"
#undef ZY_MESSAGE
#undef ZY_FIELD
};

// (group, class, index, id) in one key for the access checks, which run
// on every field access while they are on.
unsigned long long FieldKey(int group, int cls, int index, int id) {
  auto part = [](int v) { return static_cast<unsigned long long>(static_cast<unsigned short>(v)); };
  return part(group) << 48 | part(cls) << 32 | part(index) << 16 | part(id);
}

struct Schema {
  std::map<std::pair<int, int>, const ClassEntry*> classes;
  std::map<std::tuple<int, int, int, int>, const char*> fields;
  std::unordered_map<unsigned long long, FieldKind> kinds;
  std::unordered_map<unsigned long long, const char*> names;
  std::map<std::pair<int, int>, std::string> typeNames;  // "App::ClientsList"
  std::unordered_map<unsigned long long, int> fieldCounts;  // by FieldKey(group, class, 0, 0)
};

const Schema& GetSchema() {
  static const Schema* schema = [] {
    auto* s = new Schema();  // never destroyed: look-ups may run at exit
    for (const ClassEntry& e : kClasses) {
      s->classes.emplace(std::make_pair(e.group, e.cls), &e);
      s->typeNames.emplace(std::make_pair(e.group, e.cls), std::string(e.ns) + "::" + e.name);
    }
    for (const FieldEntry& e : kFields) {
      s->fields.emplace(std::make_tuple(e.group, e.cls, e.index, e.id), e.name);
      s->kinds.emplace(FieldKey(e.group, e.cls, e.index, e.id), e.kind);
      s->names.emplace(FieldKey(e.group, e.cls, e.index, e.id), e.name);
      ++s->fieldCounts[FieldKey(e.group, e.cls, 0, 0)];
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

const char* FindMessageTypeName(int group, int cls) {
  const Schema& schema = GetSchema();
  auto it = schema.typeNames.find(std::make_pair(group, cls));
  return it == schema.typeNames.end() ? nullptr : it->second.c_str();
}

const char* FindMessageFieldName(int group, int cls, int index, int id) {
  const Schema& schema = GetSchema();
  auto it = schema.names.find(FieldKey(group, cls, index, id));
  return it == schema.names.end() ? nullptr : it->second;
}

int MessageFieldCount(int group, int cls) {
  const Schema& schema = GetSchema();
  auto it = schema.fieldCounts.find(FieldKey(group, cls, 0, 0));
  return it == schema.fieldCounts.end() ? 0 : it->second;
}

std::unique_ptr<CNMessageBase> CreateMessage(int group, int cls) {
  const ClassEntry* entry = FindClass(group, cls);
  if (entry == nullptr) return std::make_unique<CNMessageBase>(group, cls);
  return entry->factory();
}

// ---- Access checks ---------------------------------------------------------

namespace {

SchemaCheckMode InitialMode() {
  const char* env = std::getenv("ZY_SCHEMA_CHECK");
  if (env != nullptr) {
    if (std::strcmp(env, "abort") == 0) return SchemaCheckMode::kAbort;
    if (std::strcmp(env, "log") == 0) return SchemaCheckMode::kLog;
    if (std::strcmp(env, "off") == 0) return SchemaCheckMode::kOff;
  }
#ifdef NDEBUG
  return SchemaCheckMode::kOff;
#else
  return SchemaCheckMode::kAbort;
#endif
}

std::atomic<SchemaCheckMode>& Mode() {
  static std::atomic<SchemaCheckMode> mode{InitialMode()};
  return mode;
}

std::atomic<long> g_violations{0};

}  // namespace

SchemaCheckMode GetSchemaCheckMode() { return Mode().load(std::memory_order_relaxed); }

void SetSchemaCheckMode(SchemaCheckMode mode) { Mode().store(mode, std::memory_order_relaxed); }

long SchemaViolationCount() { return g_violations.load(); }

bool SchemaChecksOn() { return GetSchemaCheckMode() != SchemaCheckMode::kOff; }

const char* FieldKindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::kString:
      return "string";
    case FieldKind::kInt64:
      return "int64";
    case FieldKind::kObject:
      return "object";
    case FieldKind::kList:
      return "list";
    case FieldKind::kIntList:
      return "intlist";
    case FieldKind::kULongList:
      return "ulonglist";
  }
  return "unknown";
}

void CheckSchemaAccess(int group, int cls, int index, int id, FieldKind kind) {
  const ClassEntry* entry = FindClass(group, cls);
  if (entry == nullptr) return;
  const Schema& schema = GetSchema();
  auto it = schema.kinds.find(FieldKey(group, cls, index, id));
  if (it != schema.kinds.end() && it->second == kind) return;
  if (it == schema.kinds.end()) {
    std::fprintf(stderr, "schema violation: %s::%s has no field (%d, %d) (used as %s)\n", entry->ns,
                 entry->name, index, id, FieldKindName(kind));
  } else {
    std::fprintf(stderr, "schema violation: %s::%s field (%d, %d) is %s, used as %s\n", entry->ns,
                 entry->name, index, id, FieldKindName(it->second), FieldKindName(kind));
  }
  if (GetSchemaCheckMode() == SchemaCheckMode::kAbort) std::abort();
  ++g_violations;
}

std::vector<SchemaClass> SchemaClasses() {
  std::vector<SchemaClass> out;
  for (const ClassEntry& e : kClasses) out.push_back({e.group, e.cls, e.ns, e.name});
  return out;
}

std::vector<SchemaField> SchemaFields() {
  return std::vector<SchemaField>(std::begin(kFields), std::end(kFields));
}
