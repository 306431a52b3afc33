// gather: runs the full queries against a real (or simulated) dsmadmc and
// writes a replay set, each ixr_* file in the layout the plug-in's parsers
// read under existing files: the drive and job files without header lines
// (those parsers skip none then), every other form with the client's
// header lines, plus ixr_server.txt holding the server name.
#pragma once

#include <iosfwd>
#include <string>

#include "tools/tsm-discover/OutFolderLock.h"
#include "tools/tsm-discover/SharedOptions.h"

namespace tsmdiscover {

// Seconds each query may take when --timeout is not given.
constexpr int kDefaultGatherTimeout = 600;
// Each session is an administrative login; the server refuses logins past
// its session limits, so the default stays modest.
constexpr int kDefaultGatherParallel = 4;
constexpr int kMaxGatherParallel = 64;

struct GatherSettings {
  SharedOptions shared;  // login, password, time-out (0: kDefaultGatherTimeout)
  std::string dsmadmcDir;
  std::string outDir;
  int parallel = kDefaultGatherParallel;  // dsmadmc sessions at once for the per-item queries
};

// False with one line in *error for bad input (nothing ran yet): also
// when another job holds --out (`lock` holds it from here on) or --out
// holds anything but a replay set's files.
bool CheckGather(GatherSettings* settings, OutFolderLock* lock, std::string* error);
// Runs the queries into a new folder beside --out, the per-library and
// per-node ones on `parallel` dsmadmc sessions at once (progress on
// standard error when `err` is std::cerr on a terminal), and writes its
// manifest (ReplayManifest.h). Only when every query succeeded is it
// swapped with --out and the previous set removed; otherwise --out stays
// as it was and the partial folder, its manifest marked incomplete, is
// named on `err`. An interrupted gather (StopSignal.h) removes its folder.
// Prints what it wrote; false when a query failed or the login was refused.
bool RunGather(const GatherSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace tsmdiscover
