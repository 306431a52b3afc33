// Every host message class: a CNMessageBase with its type pair and no data
// of its own. Generated from the schema in schema/messages.def.
#pragma once

#include <memory>

#include "host/CNMessageBase.h"

#define ZY_MESSAGE(ns, name, g, c)                                                                  \
  namespace ns {                                                                                    \
  class ZYHOST_API name : public CNMessageBase {                                                    \
   public:                                                                                          \
    static constexpr int kGroup = g;                                                                \
    static constexpr int kClass = c;                                                                \
    name() : CNMessageBase(g, c) {}                                                                 \
    std::unique_ptr<CNMessageBase> Clone() const override { return std::make_unique<name>(*this); } \
    static unsigned long Signature() { return MessageSignature(g, c); }                             \
  };                                                                                                \
  }
#define ZY_FIELD(g, c, index, id, fieldName)
#include "host/schema/messages.def"
#undef ZY_MESSAGE
#undef ZY_FIELD
