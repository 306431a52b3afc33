// Helpers of the client discovery tests: a scripted dsmadmc, guards for
// the process-wide settings the discovery reads, node and schedule lines
// in dsmadmc's layout, and read-only walks over reply messages.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "clients/ClientFields.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/CForeignCmdExecBase.h"
#include "host/HandOver.h"
#include "host/ProcessLauncher.h"
#include "tests/support/TestSupport.h"

namespace clienttest {

// Stands in for dsmadmc: the first rule whose text occurs in the command
// line decides the output file written (into the working directory, like
// dsmadmc's -outfile=) and the exit status. Without a matching rule the
// command exits 0 and writes nothing.
class FakeDsmadmc : public ProcessLauncher {
 public:
  struct Rule {
    std::string match;
    std::string output;
    int exitStatus = 0;
    bool writeOutput = true;
  };

  void On(const std::string& match, const std::string& output, int exitStatus = 0) {
    rules_.push_back({match, output, exitStatus, true});
  }
  void FailOn(const std::string& match, int exitStatus) { rules_.push_back({match, "", exitStatus, false}); }

  LaunchResult Run(const std::vector<std::string>& argv, int /*timeoutSeconds*/) override {
    std::string joined;
    std::string outfile;
    for (const std::string& arg : argv) {
      if (!joined.empty()) joined += ' ';
      joined += arg;
      if (arg.rfind("-outfile=", 0) == 0) outfile = arg.substr(9);
    }
    commands_.push_back(joined);
    LaunchResult result;
    result.started = true;
    result.exited = true;
    for (const Rule& rule : rules_) {
      if (joined.find(rule.match) == std::string::npos) continue;
      if (rule.writeOutput && !outfile.empty()) testsupport::WriteFile(outfile, rule.output);
      result.exitStatus = rule.exitStatus;
      break;
    }
    return result;
  }

  const std::vector<std::string>& commands() const { return commands_; }
  size_t CountCommands(const std::string& match) const {
    size_t n = 0;
    for (const std::string& c : commands_) n += c.find(match) != std::string::npos ? 1 : 0;
    return n;
  }

 private:
  std::vector<Rule> rules_;
  std::vector<std::string> commands_;
};

// Installs a launcher for the lifetime of the guard.
class ScopedLauncher {
 public:
  explicit ScopedLauncher(ProcessLauncher* launcher) { CForeignCmdExecBase::SetProcessLauncher(launcher); }
  ~ScopedLauncher() { CForeignCmdExecBase::SetProcessLauncher(nullptr); }
  ScopedLauncher(const ScopedLauncher&) = delete;
  ScopedLauncher& operator=(const ScopedLauncher&) = delete;
};

// Switches the use of gathered output files; restores the old setting.
class ScopedExistingFiles {
 public:
  ScopedExistingFiles(bool use, const std::string& from)
      : oldUse_(CForeignCmdExecBase::get_UseExistingFiles()),
        oldFrom_(CForeignCmdExecBase::get_UseExistingFilesFrom()) {
    CForeignCmdExecBase::set_UseExistingFiles(use, from);
  }
  ~ScopedExistingFiles() { CForeignCmdExecBase::set_UseExistingFiles(oldUse_, oldFrom_); }
  ScopedExistingFiles(const ScopedExistingFiles&) = delete;
  ScopedExistingFiles& operator=(const ScopedExistingFiles&) = delete;

 private:
  bool oldUse_;
  std::string oldFrom_;
};

// Sets the process-wide TSM server name; restores it after.
class ScopedServerName {
 public:
  explicit ScopedServerName(const std::string& name) : old_(CForeignHandlerTSM::m_serverName) {
    CForeignHandlerTSM::m_serverName = name;
  }
  ~ScopedServerName() { CForeignHandlerTSM::m_serverName = old_; }
  ScopedServerName(const ScopedServerName&) = delete;
  ScopedServerName& operator=(const ScopedServerName&) = delete;

 private:
  std::string old_;
};

// Points the hand-over at a directory and restarts its numbering.
class ScopedHandOver {
 public:
  explicit ScopedHandOver(const std::string& dir) : old_(zyhost::HandOverDirectory()) {
    zyhost::SetHandOverDirectory(dir);
    zyhost::ResetHandOverSequence();
  }
  ~ScopedHandOver() {
    zyhost::SetHandOverDirectory(old_);
    zyhost::ResetHandOverSequence();
  }
  ScopedHandOver(const ScopedHandOver&) = delete;
  ScopedHandOver& operator=(const ScopedHandOver&) = delete;

 private:
  std::string old_;
};

// A node line of the detailed node query (-dataonly=yes, -comma) with
// `tokens` fields; the columns the parser reads are filled, the rest are
// placeholders.
struct NodeColumns {
  std::string name = "NODE1";
  std::string platform = "Linux86";
  std::string osLevel = "2.6";
  std::string clientVersion = "Version 6, release 2";
  std::string compression = "Client";
  std::string crossMount = "No";
  std::string hostname = "node1.example.com";
};

inline std::string NodeLine(const NodeColumns& c, size_t tokens = 33) {
  std::vector<std::string> fields(tokens, "x");
  auto put = [&](size_t i, const std::string& v) {
    if (i < fields.size()) fields[i] = v;
  };
  put(0, c.name);
  put(1, c.platform);
  put(2, c.osLevel);
  put(3, c.clientVersion);
  put(12, c.compression);
  put(28, c.crossMount);
  put(32, c.hostname);
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    const std::string& f = fields[i];
    line += f.find(',') != std::string::npos ? "\"" + f + "\"" : f;
  }
  return line;
}

// Output of the live per-node schedule query: four header lines, then one
// 21-field line per schedule (objects in field 6, priority in field 7).
struct ScheduleColumns {
  std::string domain = "STANDARD";
  std::string name;
  std::string action = "Incremental";
  std::vector<std::string> objects;
  std::string priority = "5";
};

inline std::string NodeScheduleOutput(std::initializer_list<ScheduleColumns> schedules) {
  std::string out = "header 1\nheader 2\nheader 3\nheader 4\n";
  for (const ScheduleColumns& s : schedules) {
    std::string objects;
    for (const std::string& o : s.objects) objects += (objects.empty() ? "" : ",") + o;
    std::vector<std::string> f(21, "y");
    f[0] = s.domain;
    f[1] = s.name;
    f[3] = s.action;
    f[6] = "\"" + objects + "\"";
    f[7] = s.priority;
    std::string line;
    for (size_t i = 0; i < f.size(); ++i) line += (i > 0 ? "," : "") + f[i];
    out += line + "\n";
  }
  return out;
}

// ---- Read-only walks over messages --------------------------------------

using clientfields::FieldRef;

inline const CNMessageBase* Sub(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->object.get();
}

inline const CNMessageList* Items(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->list.get();
}

inline size_t Count(const CNMessageBase* m, FieldRef f) {
  const CNMessageList* list = Items(m, f);
  return list == nullptr ? 0 : list->size();
}

inline const CNMessageBase* Item(const CNMessageBase* m, FieldRef f, size_t i) {
  const CNMessageList* list = Items(m, f);
  return list == nullptr || i >= list->size() ? nullptr : list->at(i);
}

// Field (0, 0) componentType of each component, in order.
inline std::vector<long long> ComponentTypes(const CNMessageBase* client) {
  std::vector<long long> types;
  for (size_t i = 0; i < Count(client, clientfields::kClientComponents); ++i) {
    const CNMessageBase* entity =
        Sub(Item(client, clientfields::kClientComponents, i), clientfields::kComponentEntity);
    types.push_back(entity == nullptr ? -1 : entity->getint64(0, 0));
  }
  return types;
}

// "name=value" of each AttributeInfoEx of a list, content entries as
// "=value".
inline std::vector<std::string> AttributeTexts(const CNMessageBase* m, FieldRef f) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < Count(m, f); ++i) {
    const CNMessageBase* a = Item(m, f, i);
    texts.push_back(a->getstring(3, 3) + "=" + a->getstring(5, 8) + "#" + std::to_string(a->getint64(4, 7)));
  }
  return texts;
}

}  // namespace clienttest
