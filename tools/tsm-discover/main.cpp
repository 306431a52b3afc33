// tsm-discover: the host process that runs one discovery job through the
// plug-in. Subcommands: run, demo, gather, report, encrypt-password.
// Exit status: 0 every operation returned true, 1 one returned false,
// 2 bad usage or input (reported on one line before anything runs),
// 128 + the signal when SIGINT, SIGTERM or SIGHUP interrupted it.
#include <signal.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/StopSignal.h"
#include "host/ZYPassword.h"
#include "tools/tsm-discover/CommandLine.h"
#include "tools/tsm-discover/Demo.h"
#include "tools/tsm-discover/DiscoveryJob.h"
#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/Gather.h"
#include "tools/tsm-discover/OutFolderLock.h"
#include "tools/tsm-discover/SharedOptions.h"
#include "tools/tsm-discover/report/MakeReport.h"
#include "tools/tsm-discover/verify/Verify.h"

namespace tsmdiscover {
namespace {

constexpr int kUsage = 2;

const char kMainHelp[] =
    "usage: tsm-discover COMMAND [OPTIONS]\n"
    "  run               run a discovery job against dsmadmc (or a replay set)\n"
    "  demo              run the whole job against the simulator and the sample site\n"
    "  gather            write a replay set from a live dsmadmc\n"
    "  report            write the takeover report of a reply folder\n"
    "  verify            check a reply folder against the gathered set it came from\n"
    "  encrypt-password  encrypt a password read on standard input\n"
    "tsm-discover COMMAND --help describes each command.\n";

std::string RunHelp() {
  return "usage: tsm-discover run --dsmadmc-dir DIR --login NAME --password-file FILE --out DIR\n"
         "                        [--replay DIR] [--only " +
         OperationNames() +
         "]\n"
         "                        [--log FILE] [--log-level N] [--registry FILE] [--key-file FILE]\n"
         "                        [--timeout SECONDS] [--deadline SECONDS] [--plugin PATH] [--overwrite]\n"
         "                        [--report FILE.html] [--accept-incomplete]\n"
         "Runs the discovery operations, all or those --only names, in the order above.\n"
         "  --dsmadmc-dir DIR    directory holding dsmadmc (optional with --replay)\n"
         "  --login NAME         administrator login\n"
         "  --password-file FILE file holding the password; else $TSM_PASSWORD\n"
         "  --out DIR            hand-over directory (created when missing; refused when it holds\n"
         "                       hand-over files of an earlier run, unless --overwrite removes them)\n"
         "  --replay DIR         read a gathered replay set instead of running dsmadmc; a set\n"
         "                       its manifest marks incomplete, or whose files differ from it, is\n"
         "                       refused unless --accept-incomplete is given\n"
         "  --only LIST          run only these operations, comma-separated\n"
         "  --log FILE           debug log (default <out>/tsm-discover.log); --log-level 0-7 (default 4)\n"
         "  --registry FILE      host registry (INI) file\n"
         "  --key-file FILE      password key; default: a key made for this run alone\n"
         "  --timeout SECONDS    limit for each dsmadmc run\n"
         "  --deadline SECONDS   limit for the whole job: no dsmadmc starts after it, a running one\n"
         "                       is stopped, and the operations not yet begun are not run\n"
         "  --plugin PATH        plug-in library (default: next to tsm-discover)\n"
         "  --report FILE.html   write the takeover report of the replies when the job is done\n";
}

const char kDemoHelp[] =
    "usage: tsm-discover demo [--out DIR] [--work DIR] [--site DIR] [--log-level N] [--plugin PATH]\n"
    "                         [--report]\n"
    "Copies the dsmadmc simulator and the sample site into a work directory (default: a new\n"
    "temporary one) and runs the whole discovery job against them.\n"
    "  --out DIR   hand-over directory (default <work>/replies)\n"
    "  --work DIR  where the simulator and the site are copied\n"
    "  --site DIR  site to copy (default: the sample site of the source tree)\n"
    "  --report    write the takeover report <out>/report.html and print its path\n";

const char kReportHelp[] =
    "usage: tsm-discover report --replies DIR [--out FILE.html | --text] [--replay SET]\n"
    "Reads the reply folder of a run (the numbered XML files) and writes the takeover report:\n"
    "one self-contained HTML page (default <replies>/report.html), or with --text plain text on\n"
    "standard output. Dates are in the time zone of TZ. With --replay (the gathered set the\n"
    "replies came from) the report opens with the takeover check (see verify).\n";

const char kVerifyHelp[] =
    "usage: tsm-discover verify --replay SET --replies DIR [--from YYYY-MM-DD] [--days N]\n"
    "                           [--text | --json FILE]\n"
    "Checks that every node, schedule, library, drive, volume, storage pool and backup summary\n"
    "row of the gathered set was handed over (or says why not), and that every task starts\n"
    "when TSM started its schedule, from --from (default: the discovery time) for --days days\n"
    "(default 365). Text on standard output (--text, the default) or JSON into FILE.\n"
    "Exit status: 0 all accounted for and the same, 1 something left out or different,\n"
    "2 bad input.\n";

const char kGatherHelp[] =
    "usage: tsm-discover gather --dsmadmc-dir DIR --login NAME --password-file FILE --out DIR\n"
    "                           [--timeout SECONDS] [--parallel N]\n"
    "Runs the full queries and writes a replay set (ixr_* files) that 'run --replay' reads.\n"
    "The password comes from --password-file or $TSM_PASSWORD.\n"
    "  --parallel N  dsmadmc sessions at once for the per-library and per-node queries\n"
    "                (1 to 64, default 4). Each is an administrative session: keep N\n"
    "                below the TSM server's session limits (MAXSESSIONS, and the share\n"
    "                of administrative sessions), or logins are refused.\n";

const char kEncryptHelp[] =
    "usage: tsm-discover encrypt-password --key-file FILE\n"
    "Reads a password on standard input and prints it encrypted with the key in FILE\n"
    "(created when missing), in the form the plug-in decrypts.\n";

int Usage(const std::string& command, const std::string& message) {
  std::cerr << "tsm-discover" << (command.empty() ? "" : " " + command) << ": " << message << "\n";
  return kUsage;
}

// --only's list into *only; false with one line in *error.
bool ReadOnly(const CommandLine& cl, std::set<std::string>* only, std::string* error) {
  if (!cl.Has("only")) return true;
  std::stringstream list(cl.Get("only"));
  for (std::string item; std::getline(list, item, ',');) {
    if (!IsOperationName(item)) {
      *error = "--only: unknown operation '" + item + "'";
      return false;
    }
    only->insert(item);
  }
  if (only->empty()) *error = "--only needs at least one operation";
  return !only->empty();
}

int Run(const std::vector<std::string>& args) {
  CommandLine cl({"dsmadmc-dir", "login", "password-file", "out", "replay", "only", "log", "log-level",
                  "registry", "key-file", "timeout", "plugin", "deadline", "report"},
                 {"overwrite", "accept-incomplete"});
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("run", error);
  if (cl.Help()) {
    std::cout << RunHelp();
    return 0;
  }
  JobSettings s;
  s.dsmadmcDir = cl.Get("dsmadmc-dir");
  s.outDir = cl.Get("out");
  s.replayDir = cl.Get("replay");
  s.logFile = cl.Get("log");
  s.registryFile = cl.Get("registry");
  s.keyFile = cl.Get("key-file");
  s.pluginPath = cl.Get("plugin");
  s.overwrite = cl.Has("overwrite");
  s.acceptIncomplete = cl.Has("accept-incomplete");
  s.reportFile = cl.Get("report");
  if (cl.Has("deadline")) {
    long n = 0;
    if (!ParseInt(cl.Get("deadline"), 1, 86400 * 7, &n))
      return Usage("run", "--deadline must be a number of seconds");
    s.deadlineSeconds = static_cast<int>(n);
  }
  if (!ReadOnly(cl, &s.only, &error) || !ReadSharedOptions(cl, Credentials::kRequired, &s.shared, &error))
    return Usage("run", error);
  DiscoveryJob job(s);
  if (!job.Prepare(&error)) return Usage("run", error);
  return job.Run(std::cout) ? 0 : 1;
}

int Demo(const std::vector<std::string>& args) {
  CommandLine cl({"out", "work", "site", "log-level", "plugin"}, {"report"});
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("demo", error);
  if (cl.Help()) {
    std::cout << kDemoHelp;
    return 0;
  }
  DemoSettings d;
  d.outDir = cl.Get("out");
  d.workDir = cl.Get("work");
  d.siteDir = cl.Get("site");
  d.pluginPath = cl.Get("plugin");
  d.report = cl.Has("report");
  SharedOptions shared;
  if (!ReadSharedOptions(cl, Credentials::kNotNeeded, &shared, &error)) return Usage("demo", error);
  d.logLevel = shared.logLevel;
  return RunDemo(d, std::cout, std::cerr);
}

int Gather(const std::vector<std::string>& args) {
  CommandLine cl({"dsmadmc-dir", "login", "password-file", "out", "timeout", "parallel"}, {});
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("gather", error);
  if (cl.Help()) {
    std::cout << kGatherHelp;
    return 0;
  }
  GatherSettings s;
  OutFolderLock lock;
  long parallel = kDefaultGatherParallel;
  if (cl.Has("parallel") && !ParseInt(cl.Get("parallel"), 1, kMaxGatherParallel, &parallel))
    return Usage("gather", "--parallel must be 1 to " + std::to_string(kMaxGatherParallel));
  s.parallel = static_cast<int>(parallel);
  s.dsmadmcDir = cl.Get("dsmadmc-dir");
  s.outDir = cl.Get("out");
  if (!ReadSharedOptions(cl, Credentials::kRequired, &s.shared, &error) || !CheckGather(&s, &lock, &error))
    return Usage("gather", error);
  return RunGather(s, std::cout, std::cerr) ? 0 : 1;
}

int Report(const std::vector<std::string>& args) {
  CommandLine cl({"replies", "out", "replay"}, {"text"});
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("report", error);
  if (cl.Help()) {
    std::cout << kReportHelp;
    return 0;
  }
  if (!cl.Has("replies")) return Usage("report", "no --replies folder given");
  if (cl.Has("text") && cl.Has("out")) return Usage("report", "--text writes to standard output; drop --out");
  const std::string replies = cl.Get("replies");
  const std::string replay = cl.Get("replay");
  const std::string page = AbsolutePath(cl.Has("out") ? cl.Get("out") : WithSlash(replies) + "report.html");
  OutFolderLock lock;
  bool ok = cl.Has("text") ? tsmreport::WriteTextReportTo(replies, std::cout, &error, replay)
                           : lock.Acquire(page.substr(0, std::max<size_t>(page.find_last_of('/'), 1)), &error) &&
                                 tsmreport::WriteHtmlReportFile(replies, page, &error, replay);
  if (!ok) return Usage("report", error);
  return 0;
}

int Verify(const std::vector<std::string>& args) {
  CommandLine cl({"replay", "replies", "from", "days", "json"}, {"text"});
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("verify", error);
  if (cl.Help()) {
    std::cout << kVerifyHelp;
    return 0;
  }
  if (!cl.Has("replay") || !cl.Has("replies")) return Usage("verify", "--replay and --replies are required");
  if (cl.Has("text") && cl.Has("json")) return Usage("verify", "--text and --json exclude each other");
  tsmverify::VerifyOptions o;
  o.replaySet = cl.Get("replay");
  o.replies = cl.Get("replies");
  o.from = cl.Get("from");
  o.jsonFile = cl.Get("json");
  long days = tsmverify::kDefaultWindowDays;
  if (cl.Has("days") && !ParseInt(cl.Get("days"), 1, tsmverify::kMaxWindowDays, &days))
    return Usage("verify", "--days must be 1 to " + std::to_string(tsmverify::kMaxWindowDays));
  o.days = static_cast<int>(days);
  return tsmverify::RunVerify(o, std::cout, std::cerr);
}

int EncryptPassword(const std::vector<std::string>& args) {
  CommandLine cl({"key-file"}, {});
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("encrypt-password", error);
  if (cl.Help()) {
    std::cout << kEncryptHelp;
    return 0;
  }
  if (!cl.Has("key-file")) return Usage("encrypt-password", "no --key-file given");
  std::string keyFile = cl.Get("key-file");
  if (!IsRegularFile(keyFile)) {
    if (!ZYPassword::GenerateKeyFile(keyFile))
      return Usage("encrypt-password", "cannot create key file " + keyFile);
    std::cerr << "tsm-discover: created key file " << keyFile << "\n";
  }
  if (!ReadableFileProblem(keyFile).empty())
    return Usage("encrypt-password", "key file " + keyFile + " " + ReadableFileProblem(keyFile));
  if (!ZYPassword::SetKeyFile(keyFile))
    return Usage("encrypt-password",
                 "key file " + keyFile + " is malformed (32 bytes or 64 hex digits expected)");
  std::string password;
  std::getline(std::cin, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  if (password.empty()) return Usage("encrypt-password", "no password on standard input");
  std::string encrypted;
  if (!ZYPassword().encrypt(password, &encrypted)) {
    std::cerr << "tsm-discover encrypt-password: encryption failed\n";
    return 1;
  }
  std::cout << encrypted << "\n";
  return 0;
}

}  // namespace
}  // namespace tsmdiscover

namespace {

int Main(int argc, char** argv) {
  using namespace tsmdiscover;
  TakePasswordFromEnvironment();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kMainHelp;
    return kUsage;
  }
  std::string command = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kMainHelp;
    return 0;
  }
  if (command == "run") return Run(rest);
  if (command == "demo") return Demo(rest);
  if (command == "gather") return Gather(rest);
  if (command == "report") return Report(rest);
  if (command == "verify") return Verify(rest);
  if (command == "encrypt-password") return EncryptPassword(rest);
  return Usage("", "unknown command '" + command + "' (try tsm-discover --help)");
}

}  // namespace

// A signal stops the running dsmadmc and lets the command end through its
// own paths, so locks and temporary files are released there.
int main(int argc, char** argv) {
  // Not while a password is read: a signal there must end the program.
  if (argc < 2 || std::string(argv[1]) != "encrypt-password") zyhost::InstallStopSignals();
  const int status = Main(argc, argv);
  if (const int sig = zyhost::StopSignal()) {
    const char* name = sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "SIGHUP";
    std::cerr << "tsm-discover: interrupted by " << name
              << "; the running dsmadmc was stopped and the job did not finish\n";
    return 128 + sig;
  }
  return status;
}
