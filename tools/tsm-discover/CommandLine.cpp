#include "tools/tsm-discover/CommandLine.h"

#include <cstdlib>

namespace tsmdiscover {

CommandLine::CommandLine(std::set<std::string> valued, std::set<std::string> switches)
    : valued_(std::move(valued)), switches_(std::move(switches)) {
  switches_.insert("help");
}

bool CommandLine::Parse(const std::vector<std::string>& args, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h") {
      values_["help"] = "";
      continue;
    }
    if (arg.rfind("--", 0) != 0 && operands_.size() < maxOperands_) {
      operands_.push_back(arg);
      continue;
    }
    if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
      *error = "unexpected argument '" + arg + "'";
      return false;
    }
    size_t eq = arg.find('=');
    std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    std::string value;
    if (valued_.count(name) != 0) {
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        *error = "option --" + name + " needs a value";
        return false;
      }
    } else if (switches_.count(name) != 0 && eq == std::string::npos) {
      value = "";
    } else {
      *error = "unknown option '" + arg.substr(0, eq) + "'";
      return false;
    }
    if (values_.count(name) != 0) {
      *error = "option --" + name + " given twice";
      return false;
    }
    values_[name] = value;
  }
  return true;
}

std::string CommandLine::Get(const std::string& name, const std::string& fallback) const {
  auto it = values_.find(name);
  return it == values_.end() ? fallback : it->second;
}

bool ParseInt(const std::string& text, long min, long max, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < min || v > max) return false;
  *value = v;
  return true;
}

}  // namespace tsmdiscover
