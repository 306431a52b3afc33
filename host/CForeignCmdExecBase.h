// Runs one external command and hands its output to the fetcher's parser.
// Every fetcher derives from it. FetchData():
//   1. _GetCommandLine(); the skip marker "*_s?k?i?p_*" runs nothing.
//   2. Otherwise the line is split into arguments (no shell), the
//      fetcher's own output file (_GetFileNameForData()) is removed, and
//      the program runs in the working directory; its exit status goes to
//      get_execResult(). From the removal to the end of the parse the
//      fetcher holds the working folder's lock (WorkFolderLock.h); when
//      another job keeps it past the time-out nothing runs and the fetch
//      fails.
//      Under existing files no program is ever started.
//   3. The parser runs (also after a non-success exit status, never when
//      the program could not be started or wrote no file of its own: the
//      fetch then fails with an error line): the line form when the fetcher
//      overrides it, else the file-name form with _GetFileNameForData(),
//      behind get_UseExistingFilesFrom() under existing files.
//   4. True when the exit status is a success code and the parser
//      returned true.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/CommandStats.h"
#include "host/ProcessLauncher.h"
#include "host/ZyHostApi.h"

class ZYHOST_API CForeignCmdExecBase {
 public:
  enum CommunicationMethod { kCommunicationMethod0 = 0, kCommunicationMethod1 = 1 };

  // Status values of get_execResult() that no real exit status takes.
  static constexpr int kNotRun = -1;         // nothing ran (yet, or skip marker)
  static constexpr int kNotStarted = -2;     // the program could not be started
  static constexpr int kTimedOut = -3;       // ended by the time-out or the job deadline
  static constexpr int kInterrupted = -4;    // stopped by a stop request (StopSignal.h)
  static constexpr int kKilledBase = -1000;  // killed by signal s: kKilledBase - s;
                                             // kKilledBase alone: status lost

  static constexpr const char* kSkipMarker = "*_s?k?i?p_*";

  explicit CForeignCmdExecBase(CommunicationMethod method);
  virtual ~CForeignCmdExecBase();

  virtual std::string _GetCommandLine();
  virtual bool _ParseData(void* out, const std::vector<std::string>& lines);
  virtual bool _ParseData(void* out, const std::string& fileName);
  virtual const char* _GetFileNameForData() const;
  // What this fetcher's command is, for the run counts and failure lines;
  // by default read from its output file name (CommandStats::KindOfFile).
  virtual CommandKind GetCommandKind() const;

  // Directory of the program; also remembered process-wide for fetchers
  // that get no directory of their own when `remember` is true.
  void set_BinaryPath(const std::string& dir, bool remember);
  void SetBinaryPath(const std::string& dir);
  // Ends in "/" when not empty.
  std::string GetBinaryPath() const;
  void AddSuccessRetCode(int code);
  void set_logCommandLine(bool log);
  bool FetchData(void* out);
  int get_execResult() const { return execResult_; }
  long long get_JobId() const { return jobId_; }
  void set_JobId(long long jobId) { jobId_ = jobId; }
  CommunicationMethod get_CommunicationMethod() const { return method_; }

  // Splits a command line into arguments: blanks separate, a quoted run
  // ('...' or "...") belongs to one argument and loses its quotes.
  static std::vector<std::string> SplitCommandLine(const std::string& commandLine);
  // The inverse for one value: text that SplitCommandLine gives back as
  // exactly `value`, byte for byte, when appended to a word (as in
  // "-password=" + QuoteArgument(pw)). Values without blanks or quotes
  // come back unchanged, so ordinary command lines keep their text.
  static std::string QuoteArgument(const std::string& value);
  // The command line as it may be logged: every -password= value as ****.
  static std::string MaskCommandLine(const std::string& commandLine);
  // For text cut at some length: the longest start of any secret that the
  // cut left at the very end of `text` (one character up to the whole
  // secret) becomes ****.
  static void MaskCutSecrets(std::string* text, const std::vector<std::string>& secrets);
  // Removes the fetcher's old output file before a run; a link is removed
  // itself, never followed. False (logged) when it stays.
  static bool RemoveOldOutput(const char* ownFile);

  // Process-wide configuration by the host.
  static bool get_UseExistingFiles();
  // Valid until the next set_UseExistingFiles.
  static const char* get_UseExistingFilesFrom();
  static void set_UseExistingFiles(bool use, const std::string& from);
  static void SetTimeoutSeconds(int seconds);  // default 1800
  static int TimeoutSeconds();
  // A limit for the whole job: once `seconds` from now have passed no
  // further program starts, and a running one is stopped at that moment.
  // 0 removes the limit.
  static void SetJobDeadline(int seconds);
  static bool JobDeadlinePassed();
  // Replaces the launcher (tests); null restores the real one. Not owned.
  static void SetProcessLauncher(ProcessLauncher* launcher);
  static std::string RememberedBinaryPath();

 protected:
  // For a parser: the output held a line it could not read (and logged).
  // The fetch then counts as failed in CommandStats, once, whatever it
  // returns.
  void noteUnreadOutput() { unreadOutput_ = true; }

 private:
  // Runs the command unless it is the skip marker or existing files are
  // used; sets execResult_. False when it could not be started.
  bool runCommand(const std::string& commandLine);
  // The line form, else the file-name form of the fetcher's parser.
  bool parse(void* out);
  // A bare name is looked for in this fetcher's directory, the remembered
  // one, the working directory, then PATH.
  std::string resolveProgram(const std::string& program) const;
  bool isSuccess(int status) const;
  // True when the run left `ownFile` as a regular file, or names none.
  static bool HasOutputFile(const char* ownFile);
  // Counts the failed fetch and logs its error line.
  void reportFailure(bool parsed) const;
  static int RunTimeoutSeconds();

  CommunicationMethod method_;
  std::string binaryPath_;
  std::set<int> successCodes_;
  bool logCommandLine_ = true;
  int execResult_ = kNotRun;
  long long jobId_ = 0;
  bool lineFormOverridden_ = true;  // cleared by the base line-form parser
  std::string firstMessage_;        // first ANR/ANS line of the last run's output
  bool noOutputFile_ = false;       // the last run wrote no file of its own
  bool unreadOutput_ = false;       // set by noteUnreadOutput during a fetch
};
