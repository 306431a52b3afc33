#include "tools/dsmadmc-sim/ClientOptions.h"

#include <cstdlib>

#include "tools/dsmadmc-sim/Site.h"

namespace dsmsim {
namespace {

struct OptionInfo {
  const char* name;  // upper case
  size_t minLength;  // shortest accepted abbreviation
  bool takesValue;
};

// Options the client knows; those the simulator gives no meaning are
// accepted and ignored, as a query never depends on them.
const OptionInfo kOptions[] = {
    {"ID", 2, true},          {"PASSWORD", 2, true},        {"OUTFILE", 3, true},
    {"DATAONLY", 4, true},    {"COMMADELIMITED", 5, false}, {"TABDELIMITED", 3, false},
    {"DATEFORMAT", 4, true},  {"TIMEFORMAT", 4, true},      {"NUMBERFORMAT", 3, true},
    {"DISPLAYMODE", 5, true}, {"NOCONFIRM", 3, false},      {"QUIET", 5, false},
    {"SERVERNAME", 2, true},  {"CONSOLEMODE", 3, false},    {"MOUNTMODE", 5, false},
    {"ITEMCOMMIT", 4, false}, {"ALWAYSPROMPT", 6, false},   {"NEWLINEAFTERPROMPT", 7, false},
};

const OptionInfo* FindOption(const std::string& name) {
  std::string upper = Upper(name);
  for (const OptionInfo& info : kOptions) {
    std::string full = info.name;
    if (upper.size() >= info.minLength && upper.size() <= full.size() &&
        full.compare(0, upper.size(), upper) == 0) {
      return &info;
    }
  }
  return nullptr;
}

bool ParseYesNo(const std::string& value, bool* out) {
  std::string upper = Upper(value);
  if (upper == "YES" || upper == "Y") {
    *out = true;
  } else if (upper == "NO" || upper == "N") {
    *out = false;
  } else {
    return false;
  }
  return true;
}

bool Apply(const OptionInfo& info, const std::string& value, ClientOptions* options) {
  std::string name = info.name;
  if (name == "ID") {
    options->id = value;
  } else if (name == "PASSWORD") {
    options->password = value;
    options->hasPassword = true;
  } else if (name == "OUTFILE") {
    options->outfile = value;
  } else if (name == "DATAONLY") {
    return ParseYesNo(value, &options->dataOnly);
  } else if (name == "COMMADELIMITED") {
    options->comma = true;
    options->tab = false;
  } else if (name == "TABDELIMITED") {
    options->tab = true;
    options->comma = false;
  } else if (name == "DATEFORMAT") {
    if (value.size() != 1 || value[0] < '0' || value[0] > '5') return false;
    options->dateFormat = value[0] == '0' ? 1 : value[0] - '0';
  }
  return true;
}

}  // namespace

bool ParseClientOptions(const std::vector<std::string>& args, ClientOptions* options, std::string* error) {
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') break;
    size_t eq = arg.find('=');
    std::string name = arg.substr(1, eq == std::string::npos ? std::string::npos : eq - 1);
    const OptionInfo* info = FindOption(name);
    if (info == nullptr || info->takesValue != (eq != std::string::npos)) {
      *error = "ANS1108E Invalid option (" + arg.substr(0, eq) + ") specified";
      return false;
    }
    std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
    if (!Apply(*info, value, options)) {
      *error = "ANS1108E Invalid option (" + arg.substr(0, eq) + ") specified";
      return false;
    }
  }
  std::string command;
  for (; i < args.size(); ++i) {
    if (args[i].empty()) continue;
    if (!command.empty()) command += ' ';
    command += args[i];
  }
  options->command = command;
  return true;
}

std::string MaskedArguments(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    size_t eq = arg.find('=');
    if (arg.size() > 1 && arg[0] == '-' && eq != std::string::npos) {
      const OptionInfo* info = FindOption(arg.substr(1, eq - 1));
      if (info != nullptr && std::string(info->name) == "PASSWORD") {
        line += arg.substr(0, eq + 1) + "****";
        continue;
      }
    }
    line += arg;
  }
  return line;
}

}  // namespace dsmsim
