#include "handler/FormAReader.h"

#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>

#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"
#include "host/CForeignCmdExecBase.h"
#include "host/EvDebug.h"
#include "host/ZYFile.h"

namespace {

// The files parsed once; few (the association and schedule files), so
// the whole set is kept for the life of the process and refreshed when a
// file changes.
struct ParsedFiles {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const FormAParsedFile>> byPath;
};

ParsedFiles& Cache() {
  static ParsedFiles* cache = new ParsedFiles();  // never destroyed: parsers may run at exit
  return *cache;
}

// Steps 2 to 5 over an open file; each record line goes to `onLine`.
bool ReadLines(ZYFile& file, const std::string& path, const FormAReadOptions& options, EvEvent& log,
               const FormALineHandler& onLine) {
  const DsmOutputLayout& layout =
      options.headerlessWhenMultiToken ? dsmlayout::kNodeQuery : dsmlayout::kFormA;
  switch (ReadDsmOutput(file, layout, tsmsplit::SplitQueryLine, onLine)) {
    case DsmReadEnd::kStopped:
      return false;
    case DsmReadEnd::kEmptyLine:
      return true;  // without the closing line
    case DsmReadEnd::kEndOfFile:
    case DsmReadEnd::kReadError:
    case DsmReadEnd::kNotOpened:  // the file was open already
      break;
  }
  int error = file.getLastError();
  log.DebugJob(options.function.c_str(), options.jobId, "Processing file [%s] pass #1 %s. Error code [%d].",
               path.c_str(), error == 0 ? "suceeded" : "failed", error);
  return error == 0;
}

std::shared_ptr<const FormAParsedFile> CachedParse(const std::string& path, const FormAReadOptions& options,
                                                   EvEvent& log) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return nullptr;
  const long long mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  ParsedFiles& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto it = cache.byPath.find(path);
  if (it != cache.byPath.end() && it->second->size == st.st_size && it->second->mtimeNs == mtimeNs &&
      it->second->headerless == options.headerlessWhenMultiToken) {
    return it->second;
  }
  ZYFile file;
  if (file.open(path, 0, 0, 0) != 0) return nullptr;
  auto parsed = std::make_shared<FormAParsedFile>();
  parsed->size = st.st_size;
  parsed->mtimeNs = mtimeNs;
  parsed->headerless = options.headerlessWhenMultiToken;
  parsed->ok = ReadLines(file, path, options, log, [&](const DsmRecord& record) {
    parsed->tokens.push_back(record.fields);
    parsed->raw.push_back(record.raw);
    parsed->lineNumbers.push_back(record.lineNumber);
    return true;
  });
  cache.byPath[path] = parsed;
  return parsed;
}

}  // namespace

std::string FormAFilePath(const std::string& outputFile) {
  const char* from = CForeignCmdExecBase::get_UseExistingFilesFrom();
  std::string path = from != nullptr ? from : "";
  return path + outputFile;
}

bool ReadFormAFile(const std::string& path, const FormAReadOptions& options, const FormALineHandler& onLine) {
  EvEvent log;
  const char* function = options.function.c_str();
  if (options.parseOnceWhenReplaying && CForeignCmdExecBase::get_UseExistingFiles()) {
    return VisitFormAFileOnce(path, options, [&](const std::shared_ptr<const FormAParsedFile>& parsed) {
      for (size_t i = 0; i < parsed->tokens.size(); ++i) {
        if (!onLine(DsmRecord{parsed->tokens[i], parsed->raw[i], parsed->lineNumbers[i]})) return false;
      }
      return true;
    });
  }
  if (options.logStart) log.DebugJob(function, options.jobId, "Start processing file [%s].", path.c_str());
  ZYFile file;
  if (file.open(path, 0, 0, 0) != 0) {
    log.DebugJob(function, options.jobId, "Unable to open file [%s]", path.c_str());
    return false;
  }
  return ReadLines(file, path, options, log, onLine);
}

bool VisitFormAFileOnce(const std::string& path, const FormAReadOptions& options,
                        const std::function<bool(const std::shared_ptr<const FormAParsedFile>&)>& visit) {
  EvEvent log;
  const char* function = options.function.c_str();
  if (options.logStart) log.DebugLvl(function, 7, options.jobId, "Start processing file [%s].", path.c_str());
  std::shared_ptr<const FormAParsedFile> parsed = CachedParse(path, options, log);
  if (parsed == nullptr) {
    log.DebugJob(function, options.jobId, "Unable to open file [%s]", path.c_str());
    return false;
  }
  if (!visit(parsed)) return false;
  log.DebugLvl(function, 7, options.jobId, "File [%s] answered from memory.", path.c_str());
  return parsed->ok;
}
