#include "tools/tsm-discover/InstallLayout.h"

#include "tools/common/ProgramDirectory.h"
#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/PluginLoader.h"

namespace tsmdiscover {
namespace {

// `name` next to the program if it is there, else under the folder
// `fromBin` (relative to the program's folder, as installed).
std::string Locate(const std::string& fromBin, const std::string& name) {
  const std::string bin = toolcommon::ProgramDirectory();
  const std::string beside = bin + "/" + name;
  if (IsRegularFile(beside)) return beside;
  return bin + "/" + fromBin + "/" + name;
}

}  // namespace

std::string DefaultPluginPath() { return Locate(TSM_REL_PLUGIN_DIR, kPluginFileName); }

std::string SimulatorPath() { return Locate(TSM_REL_LIBEXEC_DIR, "dsmadmc"); }

std::string SampleSiteDir() { return toolcommon::ProgramDirectory() + "/" + TSM_REL_DATA_DIR + "/site"; }

}  // namespace tsmdiscover
