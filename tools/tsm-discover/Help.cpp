#include "tools/tsm-discover/Help.h"

#include <cstdlib>

#include "tools/tsm-discover/DiscoveryJob.h"
#include "tools/tsm-discover/Gather.h"
#include "tools/tsm-discover/PluginLoader.h"
#include "tools/tsm-discover/verify/Verify.h"

namespace tsmdiscover {
namespace {

using toolcommon::CommandDoc;
using toolcommon::OptionDoc;
using toolcommon::ProgramDoc;
using toolcommon::SectionDoc;

// Options several commands share, worded once.
OptionDoc Login() { return {"login", "NAME", "TSM administrator login.", true}; }
OptionDoc PasswordFile() {
  return {"password-file", "FILE", "File whose first line is the password; else $TSM_PASSWORD.", true};
}
OptionDoc DsmadmcDir(bool required) {
  return {"dsmadmc-dir", "DIR",
          "Directory holding the dsmadmc program (its options file must name the server)" +
              std::string(required ? "." : "; may be left out with --replay."),
          required};
}
OptionDoc Timeout() { return {"timeout", "SECONDS", "Limit for each dsmadmc run (1 second to a week)."}; }
OptionDoc LogLevel() { return {"log-level", "N", "Debug log level, 0 to 7 (default 4)."}; }
OptionDoc Plugin() {
  return {"plugin", "PATH", "Plug-in library (default: found from tsm-discover's own location)."};
}

CommandDoc Run() {
  return {"run",
          "run a discovery job against dsmadmc (or a replay set)",
          {"Runs the discovery operations, all or those --only names, in the order " + OperationNames() +
           ", and records every message the plug-in hands over as a numbered XML file in the output "
           "directory. Prints one line per operation, a summary table and the reply folder."},
          {DsmadmcDir(false),
           Login(),
           PasswordFile(),
           {"out", "DIR",
            "Hand-over directory, created when missing; refused when it holds hand-over files of an "
            "earlier run, unless --overwrite removes them.",
            true},
           {"replay", "DIR",
            "Read a gathered replay set instead of running dsmadmc. A set its manifest marks "
            "incomplete, or whose files differ from it, is refused."},
           {"accept-incomplete", "",
            "With --replay: run an incomplete set anyway; the summary names what it lacks."},
           {"only", "LIST", "Run only these operations, comma-separated: " + OperationNames() + "."},
           {"log", "FILE", "Debug log (default OUT/tsm-discover.log)."},
           LogLevel(),
           {"registry", "FILE", "Host registry (INI file)."},
           {"key-file", "FILE", "Password key; default: a key made for this run alone, kept in memory."},
           Timeout(),
           {"deadline", "SECONDS",
            "Limit for the whole job: no dsmadmc starts after it, a running one is stopped, and the "
            "operations not yet begun are not run."},
           Plugin(),
           {"overwrite", "",
            "Remove the hand-over files of an earlier run, and the temporary files of an interrupted "
            "hand-over, from --out first (nothing else)."},
           {"report", "FILE.html", "Write the takeover report of the replies when the job is done."}}};
}

CommandDoc Demo() {
  return {"demo",
          "run the whole job against the simulator and the sample site",
          {"Copies the dsmadmc simulator and the sample site into a work directory (default: a new "
           "temporary one) and runs the whole discovery job against them. The demo's replies are made "
           "again on every run."},
          {{"out", "DIR", "Hand-over directory (default WORK/replies)."},
           {"work", "DIR", "Where the simulator and the site are copied."},
           {"site", "DIR", "Site to copy (default: the sample site installed with tsm-discover)."},
           LogLevel(),
           Plugin(),
           {"report", "", "Write the takeover report OUT/report.html and print its path."}}};
}

CommandDoc Gather() {
  return {"gather",
          "write a replay set from a live dsmadmc",
          {"Runs the full queries and writes a replay set (ixr_* files and its manifest) that 'run "
           "--replay' reads. The set is written beside --out and put in its place only when every query "
           "succeeded; otherwise --out stays as it was and the partial set's folder is named."},
          {DsmadmcDir(true),
           Login(),
           PasswordFile(),
           {"out", "DIR", "Directory of the replay set.", true},
           Timeout(),
           {"parallel", "N",
            "dsmadmc sessions at once for the per-library and per-node queries (1 to " +
                std::to_string(kMaxGatherParallel) + ", default " + std::to_string(kDefaultGatherParallel) +
                "). Each is an administrative session: keep N below the TSM server's session limits "
                "(MAXSESSIONS, and the share of administrative sessions), or logins are refused."}}};
}

CommandDoc Report() {
  return {"report",
          "write the takeover report or the JSON inventory of a reply folder",
          {"Reads the reply folder of a run (the numbered XML files) and writes the takeover report: one "
           "self-contained HTML page (default REPLIES/report.html), or with --text plain text on standard "
           "output. With --json it writes the inventory as JSON (layout: inventory.schema.json in the "
           "documentation), and the page only when --out is given too. Dates are in the time zone of TZ."},
          {{"replies", "DIR", "The reply folder.", true},
           {"out", "FILE.html", "Where the page goes."},
           {"text", "", "Write the summary and tables as text on standard output."},
           {"json", "FILE", "Write the JSON inventory to FILE."},
           {"replay", "SET",
            "The gathered set the replies came from: the page or text opens with the takeover check "
            "(see verify)."}}};
}

CommandDoc Diff() {
  return {"diff",
          "compare two discoveries",
          {"Compares two reply folders, OLD_REPLIES and NEW_REPLIES: clients, subclients, tasks (their "
           "subtasks' patterns and their clients), libraries, drives, media and storage policies added, "
           "removed or changed, each change with the old and the new value, and the job history as "
           "counts per client. Items are matched by name, so renumbered reply files or another file "
           "order are no change. Prints text on standard output unless --json or --out says otherwise. "
           "Exit status 0 when nothing changed, 1 when something did."},
          {{"text", "", "Write the changes as text on standard output (the default)."},
           {"json", "FILE", "Write the changes as JSON to FILE."},
           {"out", "FILE.html", "Write the changes as an HTML page to FILE.html."}},
          {"OLD_REPLIES", "NEW_REPLIES"}};
}

CommandDoc Verify() {
  return {"verify",
          "check a reply folder against the gathered set it came from",
          {"Checks that every node, schedule, library, drive, volume, storage pool and backup summary row "
           "of the gathered set was handed over (or says why not), and that every task starts when TSM "
           "started its schedule, from --from (default: the discovery time) for --days days. Exit status 0 "
           "when all is accounted for and the same, 1 when something was left out or differs."},
          {{"replay", "SET", "The gathered set (ixr_* files).", true},
           {"replies", "DIR", "The reply folder of a run from it.", true},
           {"from", "YYYY-MM-DD", "First day of the comparison of starts (default: the discovery time)."},
           {"days", "N",
            "Days compared (1 to " + std::to_string(tsmverify::kMaxWindowDays) + ", default " +
                std::to_string(tsmverify::kDefaultWindowDays) + ")."},
           {"text", "", "Write the check as text on standard output (the default)."},
           {"json", "FILE", "Write the check as JSON to FILE."}}};
}

CommandDoc EncryptPassword() {
  return {"encrypt-password",
          "encrypt a password read on standard input",
          {"Reads a password on standard input and prints it encrypted with the key in FILE (created when "
           "missing), in the form the plug-in decrypts."},
          {{"key-file", "FILE", "The key (32 bytes or 64 hex digits).", true}}};
}

std::vector<SectionDoc> Sections() {
  return {
      {"EXIT STATUS",
       {{"0", "Every operation returned true (diff: nothing changed)."},
        {"1",
         "An operation returned false (diff: something changed; verify: something left out or different)."},
        {"2", "Bad usage or input, said in one line on standard error before anything runs."}}},
      {"ENVIRONMENT",
       {{"TSM_PASSWORD",
         "The administrator password when no --password-file is given. Taken out of the environment at "
         "start, so no dsmadmc inherits it."},
        {"TZ", "Time zone of the report's dates."}}},
      {"FILES",
       {{"OUT/NNNNNN-Group.Class.xml",
         "One reply of the plug-in; NNNNNN-sent-Group.Class.xml a message sent to the host."},
        {"OUT/tsm-discover.log", "The debug log of a run."},
        {"DSMADMC_DIR/.ixr.lock", "Lock through which two jobs sharing one dsmadmc folder take turns."},
        {std::string("PREFIX/") + TSM_INSTALL_PLUGIN_DIR + "/" + kPluginFileName,
         "The plug-in, found from tsm-discover's own location (or next to it in a build folder)."},
        {std::string("PREFIX/") + TSM_INSTALL_LIBEXEC_DIR + "/dsmadmc",
         "The dsmadmc simulator the demo runs (never on the PATH)."},
        {std::string("PREFIX/") + TSM_INSTALL_DATA_DIR + "/site", "The sample site of the demo."}}},
      {"EXAMPLES",
       {{"tsm-discover demo --report", "Discover the sample site and write the takeover report."},
        {"tsm-discover run --dsmadmc-dir /opt/tsm/bin --login ADMIN --password-file ~/.tsm-pw --out "
         "/var/tmp/replies",
         "Discover a real server."},
        {"tsm-discover gather --dsmadmc-dir /opt/tsm/bin --login ADMIN --password-file ~/.tsm-pw --out "
         "/var/tmp/set",
         "Save a replay set on the machine with the administrative client."},
        {"tsm-discover report --replies /var/tmp/replies --json inventory.json",
         "Write the inventory for other tools."},
        {"tsm-discover diff /var/tmp/replies-may /var/tmp/replies-june",
         "What changed on the server between two runs."}}},
      {"SEE ALSO", {{"", "dsmadmc-sim(1)"}}},
  };
}

ProgramDoc MakeUsage() {
  return {"tsm-discover",
          "run a TSM discovery job through the discovery plug-in",
          {"tsm-discover is a small host for the TSM discovery plug-in: it loads the plug-in, answers its "
           "requests, runs the discovery operations and records every message the plug-in hands over."},
          {Run(), Demo(), Gather(), Report(), Diff(), Verify(), EncryptPassword()},
          Sections()};
}

}  // namespace

const ProgramDoc& ProgramUsage() {
  static const ProgramDoc usage = MakeUsage();
  return usage;
}

CommandLine CommandLineFor(const std::string& command) {
  const CommandDoc* c = toolcommon::FindCommand(ProgramUsage(), command);
  if (c == nullptr) std::abort();  // a command without its row is a programming error
  std::set<std::string> valued, switches;
  for (const OptionDoc& o : c->options) (o.value.empty() ? switches : valued).insert(o.name);
  CommandLine cl(valued, switches);
  cl.AcceptOperands(c->operands.size());
  return cl;
}

std::string HelpFor(const std::string& command) {
  const CommandDoc* c = toolcommon::FindCommand(ProgramUsage(), command);
  return c == nullptr ? toolcommon::ProgramHelp(ProgramUsage()) : toolcommon::CommandHelp(ProgramUsage(), *c);
}

const char* Version() { return TSM_VERSION; }

}  // namespace tsmdiscover
