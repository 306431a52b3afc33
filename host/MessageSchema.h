// Look-ups in the host message schema (schema/messages.def).
#pragma once

#include <memory>
#include <string>

#include "host/CNMessageBase.h"

// "App", "FDC", "TMMsg", "ZyEntities"; empty for an unknown group.
ZYHOST_API std::string MessageGroupName(int group);
// "ClientsList" for (30, 164); empty when the type pair is unknown.
ZYHOST_API std::string MessageClassName(int group, int cls);
// "App::ClientsList"; empty when unknown.
ZYHOST_API std::string MessageTypeName(int group, int cls);
// Field name from the schema; empty when unknown.
ZYHOST_API std::string MessageFieldName(int group, int cls, int index, int id);
// A new message of the class registered for the type pair, or a plain
// CNMessageBase with that pair when the pair is unknown. Never null.
ZYHOST_API std::unique_ptr<CNMessageBase> CreateMessage(int group, int cls);
