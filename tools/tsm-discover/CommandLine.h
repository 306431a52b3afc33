// Options of one tsm-discover subcommand: "--name VALUE" or "--name=VALUE"
// for options with a value, "--name" for switches. Positional arguments
// are not accepted.
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

 private:
  std::set<std::string> valued_;
  std::set<std::string> switches_;
  std::map<std::string, std::string> values_;
};

// Strict decimal integer in [min, max].
bool ParseInt(const std::string& text, long min, long max, long* value);

}  // namespace tsmdiscover
