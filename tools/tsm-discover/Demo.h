// demo: copies the simulator and the sample site into a work directory
// (the simulator finds the site through dsmadmc-sim.site, so nothing
// global is needed) and runs the whole discovery job against them.
//
//   <work>/bin/dsmadmc, <work>/bin/dsmadmc-sim.site -> ../site
//   <work>/site/*.csv
//   <out> (default <work>/replies): the hand-over files and the log
//   <work>/gathered: with --report, the site gathered for the takeover check
//
// The site lies outside the working directory of the job (<work>/bin), so
// the administrator password of the sample site is in no file there.
#pragma once

#include <iosfwd>
#include <string>

namespace tsmdiscover {

struct DemoSettings {
  std::string outDir;
  std::string workDir;
  std::string siteDir;  // default: SampleSiteDir()
  std::string pluginPath;
  int logLevel = 4;
  bool report = false;  // write <out>/report.html
};

// The sample site's administrator.
constexpr const char* kDemoLogin = "ADMIN";
constexpr const char* kDemoPassword = "Orbit7-Demo";

// Exit status: 0 all operations true, 1 one returned false, 2 bad input.
int RunDemo(DemoSettings settings, std::ostream& out, std::ostream& err);

}  // namespace tsmdiscover
