// Every host message class, generated from the schema in schema/messages.def:
// a CNMessageBase with its type pair and, as static constants, the
// address and kind of each of its fields (App::Client::pods).
#pragma once

#include <memory>
#include <type_traits>

#include "host/CNMessageBase.h"

// Kind words of the schema, as FieldKind values.
namespace zyschema_kind {
constexpr FieldKind string = FieldKind::kString;
constexpr FieldKind int64 = FieldKind::kInt64;
constexpr FieldKind object = FieldKind::kObject;
constexpr FieldKind list = FieldKind::kList;
constexpr FieldKind intlist = FieldKind::kIntList;
constexpr FieldKind ulonglist = FieldKind::kULongList;
}  // namespace zyschema_kind

// First pass: one struct of field constants per class. A class's fields
// follow its ZY_MESSAGE line, so each ZY_MESSAGE closes the previous
// struct and opens its own; the static_assert catches a field listed
// under another class.
namespace zyschema_detail {
struct Start {
  using Self = Start;
#define ZY_MESSAGE(ns, name, g, c) \
  }                                \
  ;                                \
  }                                \
  namespace ns {                   \
  struct name##Fields {            \
    using Self = name##Fields;
#define ZY_FIELD(ns, cls, index, id, fieldName, fieldKind)                                       \
  static_assert(std::is_same<Self, ::ns::cls##Fields>::value, #ns "::" #cls "::" #fieldName \
                                                                  " is listed "             \
                                                                  "under another class");   \
  static constexpr FieldRef fieldName{index, id, zyschema_kind::fieldKind};
#include "host/schema/messages.def"
#undef ZY_MESSAGE
#undef ZY_FIELD
};
}  // namespace zyschema_detail

// Second pass: the message classes.
#define ZY_MESSAGE(ns, name, g, c)                                                                  \
  namespace ns {                                                                                    \
  class ZYHOST_API name : public CNMessageBase, public name##Fields {                               \
   public:                                                                                          \
    static constexpr int kGroup = g;                                                                \
    static constexpr int kClass = c;                                                                \
    name() : CNMessageBase(g, c) {}                                                                 \
    std::unique_ptr<CNMessageBase> Clone() const override { return std::make_unique<name>(*this); } \
    static unsigned long Signature() { return MessageSignature(g, c); }                             \
  };                                                                                                \
  }
#define ZY_FIELD(ns, cls, index, id, fieldName, fieldKind)
#include "host/schema/messages.def"
#undef ZY_MESSAGE
#undef ZY_FIELD
