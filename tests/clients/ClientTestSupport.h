// Helpers of the client discovery tests: a guard for the server name, node
// and schedule lines in dsmadmc's layout, and views of a client's tree.
#pragma once

#include <string>
#include <vector>

#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/MessageWalk.h"

namespace clienttest {

// Sets the process-wide TSM server name; restores it after.
struct ScopedServerName : testsupport::Undo {
  explicit ScopedServerName(const std::string& name)
      : Undo{[old = CForeignHandlerTSM::m_serverName] { CForeignHandlerTSM::m_serverName = old; }} {
    CForeignHandlerTSM::m_serverName = name;
  }
};

// A detailed node query line (-dataonly=yes -comma) of `tokens` fields:
// the given name, platform, level, client version, compression, cross
// mount and host name in their columns, placeholders elsewhere.
inline std::string NodeLine(const std::vector<std::string>& columns, size_t tokens = 33) {
  std::vector<std::string> f(tokens, "x");
  const size_t at[] = {0, 1, 2, 3, 12, 28, 32};
  for (size_t i = 0; i < columns.size() && at[i] < tokens; ++i) f[at[i]] = columns[i];
  return testsupport::CsvLine(f);
}

// Live per-node schedule query output: four header lines, then one
// 21-field line per schedule {name, action, objects, priority}; objects
// are comma-separated.
inline std::string NodeScheduleOutput(const std::vector<std::vector<std::string>>& schedules) {
  std::string out = "header 1\nheader 2\nheader 3\nheader 4\n";
  for (const std::vector<std::string>& s : schedules) {
    std::vector<std::string> f(21, "y");
    f[0] = "STANDARD", f[1] = s[0], f[3] = s[1], f[6] = s[2], f[7] = s[3];
    out += testsupport::CsvLine(f) + "\n";
  }
  return out;
}

using testsupport::Count;
using testsupport::Item;
using testsupport::Sub;

// componentType of each component, in order, blank-separated.
inline std::string ComponentTypes(const CNMessageBase* client) {
  std::string types;
  for (size_t i = 0; i < Count(client, App::Client::components); ++i) {
    const CNMessageBase* e =
        Sub(Item(client, App::Client::components, i), App::ComponentInfo::componentEntity);
    types += (i > 0 ? " " : "") + (e == nullptr ? "?" : std::to_string(e->getint64(0, 0)));
  }
  return types;
}

// The agent tree of a client, one line per message: components; then per
// pod its agent type, name and kind, indented instances, backup sets with
// their kind, and subclients as "name kind [content] [properties]", a
// bracket only for a list that is set.
inline std::string Tree(const CNMessageBase* client) {
  using namespace zyfields;
  auto str = [](const CNMessageBase* m, FieldRef f) {
    return m == nullptr ? "?" : m->getstring(f.index, f.id);
  };
  auto num = [](const CNMessageBase* m, FieldRef f) {
    return m == nullptr ? "?" : std::to_string(m->getint64(f.index, f.id));
  };
  auto attributes = [](const CNMessageBase* m, FieldRef f) {  // "name=value#type" of each
    if (!m->isSet(f.index)) return std::string();
    std::string texts;
    for (size_t i = 0; i < Count(m, f); ++i) {
      const CNMessageBase* a = Item(m, f, i);
      texts += (i > 0 ? " " : "") + a->getstring(3, 3) + "=" + a->getstring(5, 8) + "#" +
               std::to_string(a->getint64(4, 7));
    }
    return " [" + texts + "]";
  };
  std::string t = "components " + ComponentTypes(client);
  for (size_t p = 0; p < Count(client, App::Client::pods); ++p) {
    const CNMessageBase* pod = Item(client, App::Client::pods, p);
    t += "\npod " + num(Sub(pod, App::PodInfo::appEntity), ZyEntities::AppEntity::appType) + " " +
         str(Sub(pod, App::PodInfo::appEntity), ZyEntities::AppEntity::appName) + " " +
         num(pod, App::PodInfo::field2);
    for (size_t i = 0; i < Count(pod, App::PodInfo::instances); ++i) {
      const CNMessageBase* instance = Item(pod, App::PodInfo::instances, i);
      t += "\n " +
           str(Sub(instance, App::InstanceInfo::instanceEntity), ZyEntities::InstanceEntity::instanceName);
      for (size_t b = 0; b < Count(instance, App::InstanceInfo::backupSets); ++b) {
        const CNMessageBase* set = Item(instance, App::InstanceInfo::backupSets, b);
        t += "\n  " +
             str(Sub(set, App::BackupSetInfo::backupSetEntity), ZyEntities::BackupSetEntity::backupSetName) +
             " " + num(set, App::BackupSetInfo::field2);
        for (size_t s = 0; s < Count(set, App::BackupSetInfo::subclients); ++s) {
          const CNMessageBase* sc = Item(set, App::BackupSetInfo::subclients, s);
          t += "\n   " +
               str(Sub(sc, App::SubClientInfo::subclientEntity), ZyEntities::SubclientEntity::subclientName) +
               " " + num(sc, App::SubClientInfo::field6) + attributes(sc, App::SubClientInfo::content) +
               attributes(sc, App::SubClientInfo::properties);
        }
      }
    }
  }
  return t + "\n";
}

}  // namespace clienttest
