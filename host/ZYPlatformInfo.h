// The host registry: an INI-style file ("[Section]" lines and
// "Key = Value" lines, "#" or ";" comments) that the host names with
// SetRegistryFile(). Without a file every value is absent.
#pragma once

#include <string>

#include "host/ZyHostApi.h"

struct ZYHOST_API ZYPI_Focus {
  static int getFocus() { return 0; }
};

class ZYHOST_API ZYPlatformInfo {
 public:
  ZYPlatformInfo() = default;
  void setFocus(int focus) { focus_ = focus; }

  // Leave *value empty when the value is absent. Return true when found.
  bool getString(const std::string& section, const std::string& key, std::string* value) const;
  // As getString, with one trailing "/" removed.
  bool getDirectory(const std::string& section, const std::string& key, std::string* value) const;

  // Process-wide registry file.
  static void SetRegistryFile(const std::string& path);
  static std::string RegistryFile();

 private:
  int focus_ = 0;
};
