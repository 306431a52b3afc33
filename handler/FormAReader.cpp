#include "handler/FormAReader.h"

#include "handler/LineReader.h"
#include "handler/Splitting.h"
#include "host/CForeignCmdExecBase.h"
#include "host/EvDebug.h"
#include "host/ZYFile.h"

namespace {
constexpr int kHeaderLines = 4;
}  // namespace

std::string FormAFilePath(const std::string& outputFile) {
  const char* from = CForeignCmdExecBase::get_UseExistingFilesFrom();
  std::string path = from != nullptr ? from : "";
  return path + outputFile;
}

bool ReadFormAFile(const std::string& path, const FormAReadOptions& options, const FormALineHandler& onLine) {
  EvEvent log;
  const char* function = options.function.c_str();
  if (options.logStart) log.DebugJob(function, options.jobId, "Start processing file [%s].", path.c_str());

  ZYFile file;
  if (file.open(path, 0, 0, 0) != 0) {
    log.DebugJob(function, options.jobId, "Unable to open file [%s]", path.c_str());
    return false;
  }

  int skip = kHeaderLines;
  bool first = true;
  std::string line;
  std::vector<std::string> tokens;
  while (ReadNextRawLine(file, line)) {
    tsmsplit::SplitQueryLine(line, tokens);
    if (first && options.headerlessWhenMultiToken && tokens.size() > 1) skip = 0;
    first = false;
    if (skip > 0) {
      --skip;
      continue;
    }
    if (tokens.empty()) return true;
    if (!onLine(tokens, line)) return false;
  }

  int error = file.getLastError();
  log.DebugJob(function, options.jobId, "Processing file [%s] pass #1 %s. Error code [%d].", path.c_str(),
               error == 0 ? "suceeded" : "failed", error);
  return error == 0;
}
