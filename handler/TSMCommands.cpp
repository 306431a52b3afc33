#include "handler/TSMCommands.h"

#include <cctype>

#include "host/CForeignCmdExecBase.h"

namespace tsmcmd {

namespace {

// Login and password reach dsmadmc as one argument each, whatever they hold.
void AppendCredentials(const TSMAdminInfo& admin, std::string* line) {
  *line += " -id=" + CForeignCmdExecBase::QuoteArgument(admin.login);
  *line += " -password=" + CForeignCmdExecBase::QuoteArgument(admin.password);
}

}  // namespace

std::string FormA(const std::string& binaryPath, const TSMAdminInfo& admin, const std::string& outputFile,
                  const std::string& text) {
  std::string line;
  line.reserve(128 + text.size());
  line += '"';
  line += binaryPath;
  line += "dsmadmc";
  line += '"';
  AppendCredentials(admin, &line);
  line += " -outfile=" + outputFile;
  line += text;
  return line;
}

std::string FormB(const TSMAdminInfo& admin, const std::string& outputFile, const std::string& select,
                  bool dataOnly) {
  std::string line = "dsmadmc";
  AppendCredentials(admin, &line);
  line += dataOnly ? " -dataonly=yes -outfile=" : " -outfile=";
  line += outputFile;
  line += " -comma ";
  line += '"';
  line += select;
  line += '"';
  return line;
}

std::string QuoteSqlValue(const std::string& value) {
  std::string quoted;
  quoted.reserve(value.size());
  for (char c : value) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

bool IsSafeFileNamePart(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// Blanks and quotes would split the word; control characters have no
// place in a name either.
bool IsCommandWord(const std::string& name) {
  for (char c : name) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7f || c == ' ' || c == '\'' || c == '"') return false;
  }
  return true;
}

bool IsSafeItemName(const std::string& name) { return IsSafeFileNamePart(name) && IsCommandWord(name); }

std::string ToUpper(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace tsmcmd
