#include "tools/tsm-discover/Gather.h"

#include <unistd.h>

#include <cctype>
#include <ostream>
#include <vector>

#include "handler/TSMCommands.h"
#include "host/ProcessLauncher.h"
#include "tools/tsm-discover/FileUtil.h"

namespace tsmdiscover {
namespace {

struct Query {
  std::string file;
  bool dataOnly;
  std::vector<std::string> words;  // options after -outfile, then the command
};

class Gatherer {
 public:
  Gatherer(const GatherSettings& s, std::ostream& out, std::ostream& err) : s_(s), out_(out), err_(err) {}

  // Runs one query into `file`; false on a failing status (reported).
  bool Run(const Query& q) {
    std::string path = WithSlash(s_.outDir) + q.file;
    std::vector<std::string> argv = {s_.dsmadmcDir + "dsmadmc", "-id=" + s_.shared.login,
                                     "-password=" + s_.shared.password, "-outfile=" + path};
    if (q.dataOnly) argv.push_back("-dataonly=yes");
    argv.insert(argv.end(), q.words.begin(), q.words.end());
    ::unlink(path.c_str());
    LaunchResult r =
        launcher_.Run(argv, s_.shared.timeoutSeconds > 0 ? s_.shared.timeoutSeconds : kDefaultGatherTimeout);
    if (!r.started) {
      err_ << "tsm-discover gather: cannot start dsmadmc: " << r.error << "\n";
      return false;
    }
    int status = r.exited ? r.exitStatus : -1;
    if (status == 137 || status == 53) {
      err_ << "tsm-discover gather: dsmadmc refused the login of " << s_.shared.login << "\n";
      return false;
    }
    if (status != 0 && status != 11) {
      err_ << "tsm-discover gather: dsmadmc failed for " << q.file << " (status " << status
           << (r.timedOut ? ", timed out" : "") << ")\n";
      return false;
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
    size_t start = 0;
    while (start < content.size()) {
      size_t end = content.find('\n', start);
      if (end == std::string::npos) end = content.size();
      std::string line = content.substr(start, end - start);
      start = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
        line = line.substr(1, line.size() - 2);
      if (!line.empty()) names->push_back(line);
    }
    return true;
  }

  int files() const { return files_; }

 private:
  const GatherSettings& s_;
  std::ostream& out_;
  std::ostream& err_;
  PosixProcessLauncher launcher_;
  int files_ = 0;
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
  Gatherer g(s, out, err);
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
  for (const std::string& lib : libraries) {
    if (!SafeFileNamePart(lib)) {
      err << "tsm-discover gather: library [" << lib << "] skipped, its name cannot be a file name\n";
      continue;
    }
    std::string select = std::string(tsmcmd::kDrivesSelectPrefix) + QuoteSql(lib) + "'";
    if (!g.Run({tsmcmd::kDrivesFilePrefix + lib + ".txt", true, {"-comma", select}})) return false;
  }
  for (const std::string& name : nodes) {
    std::string node = Upper(name);
    if (!SafeFileNamePart(node)) {
      err << "tsm-discover gather: node [" << node << "] skipped, its name cannot be a file name\n";
      continue;
    }
    std::string db2 =
        "select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, filespaces ff where bb.node_name = '" +
        QuoteSql(node) + "' and bb.FILESPACE_ID = ff.FILESPACE_ID AND ff.FILESPACE_TYPE LIKE 'API:DB2%' " +
        tsmcmd::kDb2QuerySameNode;
    if (!g.Run({tsmcmd::kDb2FilePrefix + node + ".txt", false, {dateComma, "-comma", db2}})) return false;
    // The select the job query sends, so replay gives the jobs a live run gives.
    const std::string jobs = tsmcmd::JobsSelect(node);
    if (!g.Run({tsmcmd::kJobsFilePrefix + node + ".txt", true, {"-comma", jobs}})) return false;
  }
  out << "Gathered " << g.files() << " files (" << nodes.size() << " nodes, " << libraries.size()
      << " libraries) in " << s.outDir << "\n";
  out << "Discover from them with: tsm-discover run --replay " << s.outDir << " --login " << s.shared.login
      << " --password-file FILE --out DIR\n";
  return true;
}

}  // namespace tsmdiscover
