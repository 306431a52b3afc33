#include "tools/tsm-discover/Gather.h"

#include <unistd.h>

#include <atomic>
#include <cctype>
#include <iostream>
#include <ostream>
#include <vector>

#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/ProcessLauncher.h"
#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/GatherProgress.h"
#include "tools/tsm-discover/WorkerPool.h"

namespace tsmdiscover {
namespace {

struct Query {
  std::string file;
  bool dataOnly;
  std::vector<std::string> words;  // options after -outfile, then the command
};

// Runs the queries; Run may be called from several threads at once while
// a GatherProgress is attached (each call has its own launcher, its own
// output file, and reports through the progress).
class Gatherer {
 public:
  Gatherer(const GatherSettings& s, std::ostream& err) : s_(s), err_(err) {}

  // While set (not owned), error lines go through it.
  void set_Progress(GatherProgress* progress) { progress_ = progress; }

  // Runs one query into `file`; false on a failing status (reported).
  bool Run(const Query& q) {
    std::string path = WithSlash(s_.outDir) + q.file;
    std::vector<std::string> argv = {s_.dsmadmcDir + "dsmadmc", "-id=" + s_.shared.login,
                                     "-password=" + s_.shared.password, "-outfile=" + path};
    if (q.dataOnly) argv.push_back("-dataonly=yes");
    argv.insert(argv.end(), q.words.begin(), q.words.end());
    ::unlink(path.c_str());
    PosixProcessLauncher launcher;
    LaunchResult r =
        launcher.Run(argv, s_.shared.timeoutSeconds > 0 ? s_.shared.timeoutSeconds : kDefaultGatherTimeout);
    if (!r.started) return Report("cannot start dsmadmc: " + r.error);
    int status = r.exited ? r.exitStatus : -1;
    if (status == 137 || status == 53) return Report("dsmadmc refused the login of " + s_.shared.login);
    if (status != 0 && status != 11) {
      return Report("dsmadmc failed for " + q.file + " (status " + std::to_string(status) +
                    (r.timedOut ? ", timed out" : "") + ")");
    }
    // An empty answer of a file read without header lines must hold no
    // message line either.
    if (status == 11 && q.dataOnly) WriteWholeFile(path, "");
    if (!IsRegularFile(path)) WriteWholeFile(path, "");
    ++files_;
    return true;
  }

  // The first column of a -dataonly select, one value per line.
  bool Names(const std::string& select, std::vector<std::string>* names) {
    const std::string tmp = ".gather-names.tmp";
    if (!Run({tmp, true, {"-comma", select}})) return false;
    --files_;
    std::string content;
    ReadWholeFile(WithSlash(s_.outDir) + tmp, &content);
    ::unlink((WithSlash(s_.outDir) + tmp).c_str());
    // One name a line; message lines among them are the client's own.
    for (const std::vector<std::string>& fields :
         DsmOutputRecords(content, dsmlayout::kDataOnly, tsmsplit::SplitQueryLine)) {
      if (!fields[0].empty()) names->push_back(fields[0]);
    }
    return true;
  }

  int files() const { return files_; }

  // Writes one error line; returns false for the caller to pass on.
  bool Report(const std::string& what) {
    std::string line = "tsm-discover gather: " + what + "\n";
    if (progress_ != nullptr) {
      progress_->Print(line);
    } else {
      err_ << line;
    }
    return false;
  }

 private:
  const GatherSettings& s_;
  std::ostream& err_;
  GatherProgress* progress_ = nullptr;
  std::atomic<int> files_{0};
};

// The helpers of the plug-in live in its own code, which this
// program does not link; these are the same rules.
std::string QuoteSql(const std::string& value) {
  std::string quoted;
  for (char c : value) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

std::string Upper(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool SafeFileNamePart(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// The per-library and per-node queries, each with its own output file, in
// the order a sequential gather runs them.
std::vector<Query> ItemQueries(Gatherer& g, const std::vector<std::string>& libraries,
                               const std::vector<std::string>& nodes) {
  const std::string dateComma = "-dateformat=1";
  std::vector<Query> items;
  for (const std::string& lib : libraries) {
    if (!SafeFileNamePart(lib)) {
      g.Report("library [" + lib + "] skipped, its name cannot be a file name");
      continue;
    }
    std::string select = std::string(tsmcmd::kDrivesSelectPrefix) + QuoteSql(lib) + "'";
    items.push_back({tsmcmd::kDrivesFilePrefix + lib + ".txt", true, {"-comma", select}});
  }
  for (const std::string& name : nodes) {
    std::string node = Upper(name);
    if (!SafeFileNamePart(node)) {
      g.Report("node [" + node + "] skipped, its name cannot be a file name");
      continue;
    }
    std::string db2 =
        "select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, filespaces ff where bb.node_name = '" +
        QuoteSql(node) + "' and bb.FILESPACE_ID = ff.FILESPACE_ID AND ff.FILESPACE_TYPE LIKE 'API:DB2%' " +
        tsmcmd::kDb2QuerySameNode;
    items.push_back({tsmcmd::kDb2FilePrefix + node + ".txt", false, {dateComma, "-comma", db2}});
    // The select the job query sends, so replay gives the jobs a live run gives.
    items.push_back({tsmcmd::kJobsFilePrefix + node + ".txt", true, {"-comma", tsmcmd::JobsSelect(node)}});
  }
  return items;
}

// Runs `items` on settings.parallel sessions; after the first failure no
// further query starts.
bool RunItems(Gatherer& g, const std::vector<Query>& items, int parallel, std::ostream& err) {
  GatherProgress progress(items.size(), err, &err == &std::cerr && ::isatty(STDERR_FILENO) == 1);
  g.set_Progress(&progress);
  bool ok = RunTasks(items.size(), parallel, [&](size_t i) {
    bool done = g.Run(items[i]);
    progress.Done(done);
    return done;
  });
  g.set_Progress(nullptr);
  return ok;
}

}  // namespace

bool CheckGather(GatherSettings* s, std::string* error) {
  if (s->dsmadmcDir.empty() || s->outDir.empty()) {
    *error = s->outDir.empty() ? "no --out directory given" : "no --dsmadmc-dir given";
    return false;
  }
  s->dsmadmcDir = WithSlash(AbsolutePath(s->dsmadmcDir));
  s->outDir = AbsolutePath(s->outDir);
  if (!IsExecutable(s->dsmadmcDir + "dsmadmc")) {
    *error = "no executable dsmadmc in " + s->dsmadmcDir;
    return false;
  }
  if (!MakeDirectories(s->outDir) || !IsWritableDirectory(s->outDir)) {
    *error = "output directory " + s->outDir + " is not writable";
    return false;
  }
  return true;
}

bool RunGather(const GatherSettings& s, std::ostream& out, std::ostream& err) {
  Gatherer g(s, err);
  const std::string dateComma = "-dateformat=1";
  const std::vector<Query> fixed = {
      {tsmcmd::kConfigFile, true, {"-comma", tsmcmd::kVersionSelect}},
      {tsmcmd::kServerFile, true, {"-comma", "SELECT SERVER_NAME FROM STATUS"}},
      {tsmcmd::kNodeFile, true, {dateComma, "-comma", "query", "node", "format=detailed"}},
      {tsmcmd::kScheduleFile, false, {dateComma, "-comma", "query", "schedule", "format=detailed"}},
      {tsmcmd::kAssocFile, false, {dateComma, "-comma", "query association"}},
      {tsmcmd::kLibrariesFile, false, {"-comma", tsmcmd::kLibrariesSelect}},
      {tsmcmd::kMediaFile, false, {"-comma", tsmcmd::kMediaSelect}},
      {tsmcmd::kStandAloneLibsFile, false, {"-comma", tsmcmd::kStandAloneLibsSelect}},
      {tsmcmd::kStoragePolicyFile, false, {"-comma", tsmcmd::kStoragePolicySelect}},
  };
  for (const Query& q : fixed) {
    if (!g.Run(q)) return false;
  }
  std::vector<std::string> libraries;
  std::vector<std::string> nodes;
  if (!g.Names("SELECT LIBRARY_NAME FROM LIBRARIES", &libraries)) return false;
  if (!g.Names("SELECT NODE_NAME FROM NODES", &nodes)) return false;
  if (!RunItems(g, ItemQueries(g, libraries, nodes), s.parallel, err)) return false;
  out << "Gathered " << g.files() << " files (" << nodes.size() << " nodes, " << libraries.size()
      << " libraries) in " << s.outDir << "\n";
  out << "Discover from them with: tsm-discover run --replay " << s.outDir << " --login " << s.shared.login
      << " --password-file FILE --out DIR\n";
  return true;
}

}  // namespace tsmdiscover
