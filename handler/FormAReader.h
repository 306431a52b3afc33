// Reader of the output files of the form A dsmadmc queries (node,
// schedule, association): the parsers of those queries hand it the file
// and a callback for each record line and keep only their own column
// rules.
//
// What it does, in order:
//   1. Logs "Start processing file [%s]." when `logStart` is set. Opens
//      `path`; when that fails it logs "Unable to open file [%s]" and
//      returns false without calling the callback.
//   2. Reads the file with the dsmadmc output reader
//      (handler/DsmOutputReader.h), layout dsmlayout::kFormA, or
//      dsmlayout::kNodeQuery with `headerlessWhenMultiToken`; lines are
//      split with tsmsplit::SplitQueryLine. So: four header lines dropped
//      (none for a node file whose first line has more than one token),
//      the rest of a client banner and every ANR/ANS message line skipped.
//   3. Once data has begun, an empty line ends the file: the result is
//      true and no closing line is logged.
//   4. Every data line goes to the callback. The callback returns false
//      to stop reading; the result is then false.
//   5. At the end of the file (or on a read error) logs
//      "Processing file [%s] pass #1 suceeded|failed. Error code [%d]."
//      and returns true when ZYFile::getLastError() is 0.
//
// Example, in a parser:
//   FormAReadOptions options;
//   options.function = "CTSMPolicy::_ParseData";
//   options.jobId = get_JobId();
//   return ReadFormAFile(FormAFilePath(_GetFileNameForData()), options,
//       [&](const DsmRecord& record) {
//         if (record.fields.size() < kMinTokens) return true;  // drop the line
//         ...fill a record...
//         return true;
//       });
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "handler/DsmOutputReader.h"

struct FormAReadOptions {
  // Function name of the log lines.
  std::string function = "_ParseData";
  // Job id of the log lines.
  long long jobId = 0;
  // Log "Start processing file [%s]." first (node and schedule parsers).
  bool logStart = false;
  // The node query rule of step 3.
  bool headerlessWhenMultiToken = false;
  // Under existing files, parse the file once per job and answer later
  // reads from memory (keyed by path, size and modification time). For
  // gathered files that one discovery reads again and again: the
  // association file once per schedule line of every node, the schedule
  // file once per node. A read answered from memory logs its lines at
  // level 7 instead, so the log does not grow with nodes x schedules.
  bool parseOnceWhenReplaying = false;
};

// Called for each record line (its fields, raw text and line number in
// the file); false stops reading.
using FormALineHandler = DsmRecordHandler;

// The path a parser opens for output file `outputFile`: the name, behind
// CForeignCmdExecBase::get_UseExistingFilesFrom() when that is not empty.
std::string FormAFilePath(const std::string& outputFile);

// Reads `path` as described above. Never throws; the callback must not
// throw either. Lines handed to the callback from memory are the same
// tokens and raw lines, in the same order.
bool ReadFormAFile(const std::string& path, const FormAReadOptions& options, const FormALineHandler& onLine);

// A file parsed once per job (parseOnceWhenReplaying under existing
// files): its record lines in order and the result of the pass. Shared
// and immutable.
struct FormAParsedFile {
  long long size = -1;
  long long mtimeNs = -1;
  bool headerless = false;
  bool ok = false;
  std::vector<std::vector<std::string>> tokens;
  std::vector<std::string> raw;
  std::vector<size_t> lineNumbers;
};

// For a caller that visits only some lines of such a file: logs as a read
// answered from memory does, hands the parsed file to `visit` and returns
// what ReadFormAFile would (false when the file cannot be read, `visit`
// returns false, or the pass failed). Only under existing files.
bool VisitFormAFileOnce(const std::string& path, const FormAReadOptions& options,
                        const std::function<bool(const std::shared_ptr<const FormAParsedFile>&)>& visit);
