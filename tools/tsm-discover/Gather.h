// gather: runs the full queries against a real (or simulated) dsmadmc and
// writes a replay set, each ixr_* file in the layout the plug-in's parsers
// read under existing files: the drive and job files without header lines
// (those parsers skip none then), every other form with the client's
// header lines, plus ixr_server.txt holding the server name.
#pragma once

#include <iosfwd>
#include <string>

#include "tools/tsm-discover/SharedOptions.h"

namespace tsmdiscover {

struct GatherSettings {
  SharedOptions shared;  // login, password, time-out (0: kDefaultGatherTimeout)
  std::string dsmadmcDir;
  std::string outDir;
};

// Seconds each query may take when --timeout is not given.
constexpr int kDefaultGatherTimeout = 600;

// False with one line in *error for bad input (nothing ran yet).
bool CheckGather(GatherSettings* settings, std::string* error);
// Runs the queries; prints what it wrote. False (with the reason printed
// to `err`) when a query failed or the login was refused.
bool RunGather(const GatherSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace tsmdiscover
