#include "storage/StoragePolicyNaming.h"

#include <sstream>

#include "handler/CForeignHandlerTSM.h"

std::string GenerateStoragePolicyNameStr() {
  std::ostringstream name;
  name << CForeignHandlerTSM::GenerateZyphorName() << "_Default_SP";
  return name.str();
}

std::string GenerateStoragePolicyName() {
  std::ostringstream name;
  name << CForeignHandlerTSM::GenerateZyphorName() << "_Default_SP";
  return name.str();
}

std::string GenerateLibraryName() {
  std::ostringstream name;
  name << CForeignHandlerTSM::GenerateZyphorName() << "_DEFAULT_LIBRARY";
  return name.str();
}
