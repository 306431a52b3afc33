// Options of one tsm-discover subcommand: "--name VALUE" or "--name=VALUE"
// for options with a value, "--name" for switches. Positional arguments
// (operands) only as many as AcceptOperands allows.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tsmdiscover {

class CommandLine {
 public:
  // `valued` and `switches` name the accepted options without "--";
  // "help" is always accepted.
  CommandLine(std::set<std::string> valued, std::set<std::string> switches);

  // False with one line in *error for an unknown, repeated or incomplete
  // option.
  bool Parse(const std::vector<std::string>& args, std::string* error);

  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  bool Help() const { return Has("help"); }

  // Allows up to `count` arguments that are not options, in order.
  void AcceptOperands(size_t count) { maxOperands_ = count; }
  const std::vector<std::string>& operands() const { return operands_; }

 private:
  std::set<std::string> valued_;
  std::set<std::string> switches_;
  std::map<std::string, std::string> values_;
  size_t maxOperands_ = 0;
  std::vector<std::string> operands_;
};

// Strict decimal integer in [min, max].
bool ParseInt(const std::string& text, long min, long max, long* value);

}  // namespace tsmdiscover
