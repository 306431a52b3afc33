// Look-ups in the host message schema (schema/messages.def).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/CNMessageBase.h"

// "App", "FDC", "TMMsg", "ZyEntities"; empty for an unknown group.
ZYHOST_API std::string MessageGroupName(int group);
// "ClientsList" for (30, 164); empty when the type pair is unknown.
ZYHOST_API std::string MessageClassName(int group, int cls);
// "App::ClientsList"; empty when unknown.
ZYHOST_API std::string MessageTypeName(int group, int cls);
// Field name from the schema; empty when unknown.
ZYHOST_API std::string MessageFieldName(int group, int cls, int index, int id);
// The same two look-ups without building a string, for the XML writer's
// inner loop: null when unknown; the text lives as long as the process.
ZYHOST_API const char* FindMessageTypeName(int group, int cls);
ZYHOST_API const char* FindMessageFieldName(int group, int cls, int index, int id);
// How many fields the schema declares for the class; 0 when it is unknown.
ZYHOST_API int MessageFieldCount(int group, int cls);
// A new message of the class registered for the type pair, or a plain
// CNMessageBase with that pair when the pair is unknown. Never null.
ZYHOST_API std::unique_ptr<CNMessageBase> CreateMessage(int group, int cls);

// ---- Schema checks on field access -------------------------------------
// Every accessor of a message whose class the schema knows asks whether
// the field belongs to the class with the kind used. A violation is a
// builder bug: kAbort prints it and aborts (tests and debug builds), kLog
// prints it to standard error and counts it, kOff skips the look-up.
// The mode comes from ZY_SCHEMA_CHECK ("abort", "log", "off") when set,
// else kAbort in builds without NDEBUG and kOff in release builds.
enum class SchemaCheckMode { kOff, kLog, kAbort };
ZYHOST_API SchemaCheckMode GetSchemaCheckMode();
ZYHOST_API void SetSchemaCheckMode(SchemaCheckMode mode);
// Violations reported in kLog mode since the process started.
ZYHOST_API long SchemaViolationCount();

// Sets a mode for one scope and restores the previous one (tests).
class ZYHOST_API ScopedSchemaCheckMode {
 public:
  explicit ScopedSchemaCheckMode(SchemaCheckMode mode) : saved_(GetSchemaCheckMode()) {
    SetSchemaCheckMode(mode);
  }
  ~ScopedSchemaCheckMode() { SetSchemaCheckMode(saved_); }
  ScopedSchemaCheckMode(const ScopedSchemaCheckMode&) = delete;
  ScopedSchemaCheckMode& operator=(const ScopedSchemaCheckMode&) = delete;

 private:
  SchemaCheckMode saved_;
};

// True when accesses are checked (the mode is not kOff).
ZYHOST_API bool SchemaChecksOn();
// Reports the access when the schema knows the class (group, cls) but not
// the field (index, id), or knows it with another kind. Messages of an
// unknown type pair are not checked.
ZYHOST_API void CheckSchemaAccess(int group, int cls, int index, int id, FieldKind kind);

// The whole schema as declared, in declaration order (for its own test).
struct SchemaClass {
  int group;
  int cls;
  const char* ns;
  const char* name;
};
struct SchemaField {
  int group;
  int cls;
  int index;
  int id;
  const char* name;
  FieldKind kind;
};
ZYHOST_API std::vector<SchemaClass> SchemaClasses();
ZYHOST_API std::vector<SchemaField> SchemaFields();
ZYHOST_API const char* FieldKindName(FieldKind kind);
