#include "host/ZYPlatformInfo.h"

#include <fstream>
#include <mutex>

#include "host/ZyUtil.h"

namespace {

struct RegistryState {
  std::mutex mutex;
  std::string path;
};

RegistryState& State() {
  static RegistryState* state = new RegistryState();  // never destroyed: read at exit too
  return *state;
}

const char kBlanks[] = " \t\r\n";

// Finds `key` in `section` of the INI file at `path`. Section and key
// names compare case-insensitively, as in the host registry; the first
// matching line wins.
bool Lookup(const std::string& path, const std::string& section, const std::string& key, std::string* value) {
  if (path.empty()) return false;
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  bool inSection = false;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // UTF-8 byte order mark
    first = false;
    TrimInline(line, kBlanks);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      inSection =
          close != std::string::npos && compareNoCase(Trim(line.substr(1, close - 1), kBlanks), section) == 0;
      continue;
    }
    if (!inSection) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos || compareNoCase(Trim(line.substr(0, eq), kBlanks), key) != 0) continue;
    *value = Trim(line.substr(eq + 1), kBlanks);
    return true;
  }
  return false;
}

}  // namespace

bool ZYPlatformInfo::getString(const std::string& section, const std::string& key, std::string* value) const {
  if (value == nullptr) return false;
  value->clear();
  return Lookup(RegistryFile(), section, key, value);
}

bool ZYPlatformInfo::getDirectory(const std::string& section, const std::string& key,
                                  std::string* value) const {
  if (!getString(section, key, value)) return false;
  // The root directory keeps its slash: an empty value would read as absent.
  if (value->size() > 1 && value->back() == '/') value->pop_back();
  return true;
}

void ZYPlatformInfo::SetRegistryFile(const std::string& path) {
  RegistryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.path = path;
}

std::string ZYPlatformInfo::RegistryFile() {
  RegistryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.path;
}
