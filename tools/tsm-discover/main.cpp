// tsm-discover: the host process that runs one discovery job through the
// plug-in. Subcommands: run, demo, gather, report, diff, verify,
// encrypt-password (Help.cpp holds their options).
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
#include "tools/tsm-discover/Help.h"
#include "tools/tsm-discover/OutFolderLock.h"
#include "tools/tsm-discover/SharedOptions.h"
#include "tools/tsm-discover/diff/Diff.h"
#include "tools/tsm-discover/report/MakeReport.h"
#include "tools/tsm-discover/verify/Verify.h"

namespace tsmdiscover {
namespace {

constexpr int kUsage = 2;

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
  CommandLine cl = CommandLineFor("run");
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("run", error);
  if (cl.Help()) {
    std::cout << HelpFor("run");
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
  CommandLine cl = CommandLineFor("demo");
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("demo", error);
  if (cl.Help()) {
    std::cout << HelpFor("demo");
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
  CommandLine cl = CommandLineFor("gather");
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("gather", error);
  if (cl.Help()) {
    std::cout << HelpFor("gather");
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
  CommandLine cl = CommandLineFor("report");
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("report", error);
  if (cl.Help()) {
    std::cout << HelpFor("report");
    return 0;
  }
  if (!cl.Has("replies")) return Usage("report", "no --replies folder given");
  if (cl.Has("text") && (cl.Has("out") || cl.Has("json")))
    return Usage("report", "--text writes to standard output; drop --out and --json");
  const std::string replies = cl.Get("replies");
  // --json alone writes the inventory only; the page too when --out names it.
  const std::string page = cl.Has("out")    ? cl.Get("out")
                           : cl.Has("json") ? ""
                                            : WithSlash(replies) + "report.html";
  const std::string replay = cl.Get("replay");
  // One job per output folder: the page's, else the inventory's.
  const std::string written = AbsolutePath(page.empty() ? cl.Get("json") : page);
  OutFolderLock lock;
  bool ok = cl.Has("text")
                ? tsmreport::WriteTextReportTo(replies, std::cout, &error, replay)
                : lock.Acquire(written.substr(0, std::max<size_t>(written.find_last_of('/'), 1)), &error) &&
                      tsmreport::WriteReportFiles(replies, page, cl.Get("json"), &error, replay);
  if (!ok) return Usage("report", error);
  return 0;
}

int Diff(const std::vector<std::string>& args) {
  CommandLine cl = CommandLineFor("diff");
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("diff", error);
  if (cl.Help()) {
    std::cout << HelpFor("diff");
    return 0;
  }
  if (cl.operands().size() != 2) return Usage("diff", "two reply folders needed: OLD_REPLIES NEW_REPLIES");
  if (cl.Has("text") + cl.Has("json") + cl.Has("out") > 1)
    return Usage("diff", "give one of --text, --json and --out");
  tsmdiff::DiffOutput output;
  output.jsonFile = cl.Get("json");
  output.htmlFile = cl.Get("out");
  return tsmdiff::RunDiff(cl.operands()[0], cl.operands()[1], output, std::cout, std::cerr);
}

int Verify(const std::vector<std::string>& args) {
  CommandLine cl = CommandLineFor("verify");
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("verify", error);
  if (cl.Help()) {
    std::cout << HelpFor("verify");
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
  CommandLine cl = CommandLineFor("encrypt-password");
  std::string error;
  if (!cl.Parse(args, &error)) return Usage("encrypt-password", error);
  if (cl.Help()) {
    std::cout << HelpFor("encrypt-password");
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
    std::cerr << HelpFor("");
    return kUsage;
  }
  std::string command = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << HelpFor("");
    return 0;
  }
  if (command == "--version") {
    std::cout << "tsm-discover " << Version() << "\n";
    return 0;
  }
  // The manual page, written at build time (cmake/ManPage.cmake); DATE for its footer.
  if (command == "--man") {
    std::cout << toolcommon::ManPage(ProgramUsage(), Version(), rest.empty() ? "" : rest[0]);
    return 0;
  }
  if (command == "run") return Run(rest);
  if (command == "demo") return Demo(rest);
  if (command == "gather") return Gather(rest);
  if (command == "report") return Report(rest);
  if (command == "diff") return Diff(rest);
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
