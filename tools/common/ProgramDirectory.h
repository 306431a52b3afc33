// The folder of the running program, shared by the tools (the simulator
// finds its site there, tsm-discover the plug-in and the simulator).
#pragma once

#include <string>

namespace toolcommon {

// Directory of the running program, read from /proc/self/exe; "." when
// that link cannot be read.
std::string ProgramDirectory();

}  // namespace toolcommon
