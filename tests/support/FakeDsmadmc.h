// A scripted dsmadmc for tests: installed as the process launcher for its
// lifetime. The first rule whose text occurs in the joined command line
// decides the output file written (into the working directory, as
// dsmadmc's -outfile= does) and the exit status. Without a matching rule
// the command exits 0 and writes an empty file, as dsmadmc creates its
// -outfile= whatever it prints. Every command is recorded.
#pragma once

#include <string>
#include <vector>

#include "host/CForeignCmdExecBase.h"
#include "host/ProcessLauncher.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

class FakeDsmadmc : public ProcessLauncher {
 public:
  FakeDsmadmc() { CForeignCmdExecBase::SetProcessLauncher(this); }
  ~FakeDsmadmc() override { CForeignCmdExecBase::SetProcessLauncher(nullptr); }
  FakeDsmadmc(const FakeDsmadmc&) = delete;
  FakeDsmadmc& operator=(const FakeDsmadmc&) = delete;

  // Writes `output` and exits with `exitStatus` for commands holding `match`.
  void On(const std::string& match, const std::string& output, int exitStatus = 0) {
    rules_.push_back({match, output, exitStatus, true});
  }
  // Exits with `exitStatus` and writes no file.
  void FailOn(const std::string& match, int exitStatus) { rules_.push_back({match, "", exitStatus, false}); }

  LaunchResult Run(const std::vector<std::string>& argv, int) override {
    std::string joined, outfile;
    for (const std::string& arg : argv) {
      joined += (joined.empty() ? "" : " ") + arg;
      if (arg.rfind("-outfile=", 0) == 0) outfile = arg.substr(9);
    }
    runs_.push_back(argv);
    commands_.push_back(joined);
    LaunchResult result;
    result.started = true;
    result.exited = true;
    const Rule* matched = nullptr;
    for (const Rule& rule : rules_) {
      if (joined.find(rule.match) != std::string::npos) {
        matched = &rule;
        break;
      }
    }
    if (matched != nullptr) result.exitStatus = matched->exitStatus;
    if (!outfile.empty() && (matched == nullptr || matched->writeOutput))
      WriteFile(outfile, matched != nullptr ? matched->output : "");
    return result;
  }

  // Argument vectors and joined command lines, in run order.
  const std::vector<std::vector<std::string>>& runs() const { return runs_; }
  const std::vector<std::string>& commands() const { return commands_; }
  size_t CountCommands(const std::string& match) const {
    size_t n = 0;
    for (const std::string& c : commands_) n += c.find(match) != std::string::npos ? 1 : 0;
    return n;
  }

 private:
  struct Rule {
    std::string match;
    std::string output;
    int exitStatus;
    bool writeOutput;
  };
  std::vector<Rule> rules_;
  std::vector<std::vector<std::string>> runs_;
  std::vector<std::string> commands_;
};

// One line of comma output: fields holding a comma or a double quote are
// quoted, inner quotes doubled, as dsmadmc prints them.
inline std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    std::string quoted;
    for (char c : fields[i]) quoted += c == '"' ? "\"\"" : std::string(1, c);
    const bool plain = fields[i].find_first_of(",\"") == std::string::npos;
    line += (i > 0 ? "," : "") + (plain ? fields[i] : '"' + quoted + '"');
  }
  return line;
}

}  // namespace testsupport
