#include "tools/dsmadmc-sim/ClientLevel.h"

namespace dsmsim {
namespace {

struct LevelRow {
  const char* name;
  ClientLevel level;
  const char* product;
  const char* version;  // the "Version V, Release R, Level L.S" part
  const char* copyrightYear;
  bool echoFullStop;
};

// Each row as a published transcript of that client level shows it.
constexpr LevelRow kLevels[] = {
    {"short", ClientLevel::kShort, "", "", "", false},
    {"5", ClientLevel::kV5, "IBM Tivoli Storage Manager", "Version 5, Release 4, Level 0.0", "2007", false},
    {"7", ClientLevel::kV7, "IBM Tivoli Storage Manager", "Version 7, Release 1, Level 8.8", "2020", false},
    {"8.1", ClientLevel::kV81, "IBM Spectrum Protect", "Version 8, Release 1, Level 8.0", "2019", true},
    {"newest", ClientLevel::kNewest, "IBM Storage Protect", "Version 8, Release 1, Level 21.0", "2023", true},
};

const LevelRow& RowOf(ClientLevel level) {
  for (const LevelRow& row : kLevels) {
    if (row.level == level) return row;
  }
  return kLevels[0];
}

}  // namespace

bool ParseClientLevel(const std::string& name, ClientLevel* level) {
  for (const LevelRow& row : kLevels) {
    if (name == row.name) {
      *level = row.level;
      return true;
    }
  }
  return false;
}

std::string ClientBannerLines(ClientLevel level) {
  const LevelRow& row = RowOf(level);
  if (level == ClientLevel::kShort) return "";
  return std::string(row.product) + "\nCommand Line Administrative Interface - " + row.version +
         "\n(c) Copyright by IBM Corporation and other(s) 1990, " + row.copyrightYear +
         ". All Rights Reserved.\n\n";
}

bool EchoEndsWithFullStop(ClientLevel level) { return RowOf(level).echoFullStop; }

}  // namespace dsmsim
