#include "tools/tsm-discover/Demo.h"

#include <cstdlib>
#include <ostream>
#include <sstream>

#include "tools/tsm-discover/DiscoveryJob.h"
#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/Gather.h"
#include "tools/tsm-discover/InstallLayout.h"

namespace tsmdiscover {

int RunDemo(DemoSettings d, std::ostream& out, std::ostream& err) {
  std::string simulator = SimulatorPath();
  if (d.siteDir.empty()) d.siteDir = SampleSiteDir();
  d.siteDir = AbsolutePath(d.siteDir);
  if (!IsExecutable(simulator)) {
    err << "tsm-discover: the simulator " << simulator << " was not found (build the target dsmadmc)\n";
    return 2;
  }
  if (!IsRegularFile(d.siteDir + "/status.csv")) {
    err << "tsm-discover: no sample site in " << d.siteDir << "\n";
    return 2;
  }
  d.workDir = d.workDir.empty() ? MakeTempDirectory("tsm-discover-demo") : AbsolutePath(d.workDir);
  std::string bin = d.workDir + "/bin";
  if (d.workDir.empty() || !MakeDirectories(bin) || !CopyFile(simulator, bin + "/dsmadmc") ||
      !WriteWholeFile(bin + "/dsmadmc-sim.site", "../site\n") ||
      !CopyDirectoryFiles(d.siteDir, d.workDir + "/site")) {
    err << "tsm-discover: cannot set up the demo in "
        << (d.workDir.empty() ? "a temporary directory" : d.workDir) << "\n";
    return 2;
  }
  // The copied simulator must read the copied site, whatever the caller's
  // environment says.
  ::unsetenv("DSMADMC_SIM_SITE");

  JobSettings s;
  s.dsmadmcDir = bin;
  s.shared.login = kDemoLogin;
  s.shared.password = kDemoPassword;
  s.shared.logLevel = d.logLevel;
  s.outDir = d.outDir.empty() ? d.workDir + "/replies" : d.outDir;
  s.overwrite = true;  // the demo's replies are made again on every run
  s.pluginPath = d.pluginPath;
  if (d.report) {
    // The report's takeover check compares the replies with the site as
    // gathered from the same simulator.
    s.reportFile = s.outDir + "/report.html";
    s.reportReplaySet = d.workDir + "/gathered";
    GatherSettings g;
    g.shared = s.shared;
    g.dsmadmcDir = bin;
    g.outDir = s.reportReplaySet;
    std::string problem;
    std::ostringstream said;
    OutFolderLock gathered;
    if (!CheckGather(&g, &gathered, &problem) || !RunGather(g, said, err)) {
      err << "tsm-discover: cannot gather the demo site for the takeover check " << problem << "\n";
      return 2;
    }
  }
  DiscoveryJob job(s);
  std::string error;
  if (!job.Prepare(&error)) {
    err << "tsm-discover: " << error << "\n";
    return 2;
  }
  out << "Demo: simulated server in " << d.workDir << " (site " << d.workDir << "/site)\n";
  bool ok = job.Run(out);
  out << "dsmadmc output files (ixr_*) in " << bin << "\n";
  out << "Debug log in " << job.settings().logFile << "\n";
  return ok ? 0 : 1;
}

}  // namespace tsmdiscover
