// Where tsm-discover finds what it ships with, from its own location
// (/proc/self/exe), so the same program works in a build folder, in the
// package's prefix, and unpacked under any other root:
//
//   build folder:  bin/tsm-discover, bin/libZYForeignHandlerTSM.so,
//                  bin/dsmadmc, share/tsm-discover/site -> the source's samples/site
//   installed:     bin/tsm-discover, TSM_INSTALL_PLUGIN_DIR/libZYForeignHandlerTSM.so,
//                  TSM_INSTALL_LIBEXEC_DIR/dsmadmc, TSM_INSTALL_DATA_DIR/site
//
// No absolute path is compiled in: an installed program never reaches
// back into the tree it was built from.
#pragma once

#include <string>

namespace tsmdiscover {

// The plug-in: next to the program when there is one, else the installed
// place. The path returned may not exist (the caller says so).
std::string DefaultPluginPath();

// The dsmadmc simulator, found the same way (never on the PATH installed).
std::string SimulatorPath();

// The sample site's folder (its CSV tables).
std::string SampleSiteDir();

}  // namespace tsmdiscover
