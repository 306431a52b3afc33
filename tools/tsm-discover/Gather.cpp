#include "tools/tsm-discover/Gather.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <mutex>
#include <ostream>
#include <set>
#include <vector>

#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/ProcessLauncher.h"
#include "host/StopSignal.h"
#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/GatherProgress.h"
#include "tools/tsm-discover/ReplayManifest.h"
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
  // Writes into `dir` (the set's temporary folder).
  Gatherer(const GatherSettings& s, const std::string& dir, std::ostream& err)
      : s_(s), dir_(dir), err_(err) {}

  // While set (not owned), error lines go through it.
  void set_Progress(GatherProgress* progress) { progress_ = progress; }

  // Runs one query into `file`; false on a failing status (reported).
  bool Run(const Query& q) {
    if (zyhost::StopSignal() != 0) return false;  // the caller says it was interrupted
    std::string path = WithSlash(dir_) + q.file;
    std::vector<std::string> argv = {s_.dsmadmcDir + "dsmadmc", "-id=" + s_.shared.login,
                                     "-password=" + s_.shared.password, "-outfile=" + path};
    if (q.dataOnly) argv.push_back("-dataonly=yes");
    argv.insert(argv.end(), q.words.begin(), q.words.end());
    ::unlink(path.c_str());
    PosixProcessLauncher launcher;
    LaunchResult r =
        launcher.Run(argv, s_.shared.timeoutSeconds > 0 ? s_.shared.timeoutSeconds : kDefaultGatherTimeout);
    if (!r.started) return Report("cannot start dsmadmc: " + r.error);
    if (r.stopSignal != 0) return false;
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
    std::lock_guard<std::mutex> lock(mutex_);
    written_.insert(q.file);
    return true;
  }

  // Of `planned`, the files no query wrote.
  std::vector<std::string> Missing(const std::vector<Query>& planned) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> missing;
    for (const Query& q : planned) {
      if (written_.count(q.file) == 0) missing.push_back(q.file);
    }
    return missing;
  }

  // The first column of a -dataonly select, one value per line.
  bool Names(const std::string& select, std::vector<std::string>* names) {
    const std::string tmp = ".gather-names.tmp";
    if (!Run({tmp, true, {"-comma", select}})) return false;
    --files_;
    std::string content;
    ReadWholeFile(WithSlash(dir_) + tmp, &content);
    ::unlink((WithSlash(dir_) + tmp).c_str());
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
  const std::string dir_;
  std::ostream& err_;
  GatherProgress* progress_ = nullptr;
  std::atomic<int> files_{0};
  std::mutex mutex_;
  std::set<std::string> written_;  // guarded by mutex_
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
    // No DB2 select: no discovery operation reads its answer from a set.
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

// What a folder of a replay set may hold, so that replacing it loses
// nothing else.
bool IsSetEntry(const std::string& dir, const std::string& name) {
  struct stat st;
  return (name.rfind("ixr_", 0) == 0 || name == kManifestName || name == ".gather-names.tmp") &&
         ::lstat((WithSlash(dir) + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Removes a set folder that IsSetEntry allows; false when anything stays.
bool RemoveSetFolder(const std::string& dir) {
  for (const std::string& name : ListDirectory(dir)) {
    if (IsSetEntry(dir, name)) ::unlink((WithSlash(dir) + name).c_str());
  }
  return ::rmdir(dir.c_str()) == 0;
}

// "<parent>/.<name>.gather-XXXXXX" beside `outDir`: the same file
// system, so the finished set can be renamed into place.
std::string MakeSetFolder(const std::string& outDir) {
  const size_t slash = outDir.find_last_of('/');
  std::string pattern = outDir.substr(0, slash + 1) + "." + outDir.substr(slash + 1) + ".gather-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  return ::mkdtemp(buf.data()) == nullptr ? "" : buf.data();
}

// Swaps the finished set with the folder at `outDir` in one step, so a
// reader sees the old set or the new one; the old one then sits at `set`.
bool SwapIntoPlace(const std::string& set, const std::string& outDir) {
  struct stat st;
  if (::stat(outDir.c_str(), &st) != 0 || ::chmod(set.c_str(), st.st_mode & 07777) != 0) return false;
  return ::syscall(SYS_renameat2, AT_FDCWD, set.c_str(), AT_FDCWD, outDir.c_str(), 2 /* RENAME_EXCHANGE */) ==
         0;
}

// The queries in the order they run; false at the first failure.
bool RunQueries(Gatherer& g, const GatherSettings& s, std::vector<Query>* planned, bool* listsRead,
                std::vector<std::string>* nodes, std::vector<std::string>* libraries, std::ostream& err) {
  const std::string dateComma = "-dateformat=1";
  *planned = {
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
  for (const Query& q : *planned) {
    if (!g.Run(q)) return false;
  }
  if (!g.Names("SELECT LIBRARY_NAME FROM LIBRARIES", libraries)) return false;
  if (!g.Names("SELECT NODE_NAME FROM NODES", nodes)) return false;
  *listsRead = true;
  std::vector<Query> items = ItemQueries(g, *libraries, *nodes);
  planned->insert(planned->end(), items.begin(), items.end());
  return RunItems(g, items, s.parallel, err);
}

}  // namespace

bool CheckGather(GatherSettings* s, OutFolderLock* lock, std::string* error) {
  if (s->dsmadmcDir.empty() || s->outDir.empty()) {
    *error = s->outDir.empty() ? "no --out directory given" : "no --dsmadmc-dir given";
    return false;
  }
  s->dsmadmcDir = WithSlash(AbsolutePath(s->dsmadmcDir));
  s->outDir = AbsolutePath(s->outDir);
  while (s->outDir.size() > 1 && s->outDir.back() == '/') s->outDir.pop_back();
  if (!IsExecutable(s->dsmadmcDir + "dsmadmc")) {
    *error = "no executable dsmadmc in " + s->dsmadmcDir;
    return false;
  }
  if (!MakeDirectories(s->outDir) || !IsWritableDirectory(s->outDir)) {
    *error = "output directory " + s->outDir + " is not writable";
    return false;
  }
  if (!lock->Acquire(s->outDir, error)) return false;
  for (const std::string& name : ListDirectory(s->outDir)) {
    if (!IsSetEntry(s->outDir, name)) {
      *error = "output directory " + s->outDir + " holds " + name + ", which is no part of a replay set";
      return false;
    }
  }
  return true;
}

bool RunGather(const GatherSettings& s, std::ostream& out, std::ostream& err) {
  const std::string set = MakeSetFolder(s.outDir);
  if (set.empty()) {
    err << "tsm-discover gather: cannot make a folder beside " << s.outDir << ": " << std::strerror(errno)
        << "\n";
    return false;
  }
  Gatherer g(s, set, err);
  std::vector<Query> planned;
  std::vector<std::string> nodes, libraries;
  bool listsRead = false;
  const bool ok = RunQueries(g, s, &planned, &listsRead, &nodes, &libraries, err);
  if (zyhost::StopSignal() != 0) {
    RemoveSetFolder(set);  // the caller says the run was interrupted
    return false;
  }
  ManifestInfo info;
  info.complete = ok;
  if (!ok) info.missing = g.Missing(planned);
  if (!listsRead) info.missing.push_back("the per-library and per-node files (the name lists were not read)");
  std::string error;
  if (!WriteManifest(set, info, &error)) {
    err << "tsm-discover gather: " << error << "\n";
    return false;
  }
  if (!ok) {
    err << "tsm-discover gather: the set is incomplete; the set in " << s.outDir
        << " is unchanged, the partial one is in " << set << " (its manifest names what is missing)\n";
    return false;
  }
  if (!SwapIntoPlace(set, s.outDir)) {
    err << "tsm-discover gather: cannot move the set into " << s.outDir << ": " << std::strerror(errno)
        << "; it is in " << set << "\n";
    return false;
  }
  if (!RemoveSetFolder(set)) err << "tsm-discover gather: the previous set is left in " << set << "\n";
  out << "Gathered " << g.files() << " files (" << nodes.size() << " nodes, " << libraries.size()
      << " libraries) in " << s.outDir << "\n";
  out << "Discover from them with: tsm-discover run --replay " << s.outDir << " --login " << s.shared.login
      << " --password-file FILE --out DIR\n";
  return true;
}

}  // namespace tsmdiscover
