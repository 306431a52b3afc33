#include "host/CForeignCmdExecBase.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "host/EvDebug.h"
#include "host/StopSignal.h"
#include "host/WorkFolderLock.h"

namespace {

constexpr const char* kFetch = "CForeignCmdExecBase::FetchData";
constexpr int kDefaultTimeoutSeconds = 1800;

// Set by the host before the fetchers run; read by every fetcher.
struct Settings {
  std::mutex mutex;
  std::string rememberedBinaryPath;
  bool useExistingFiles = false;
  std::string useExistingFilesFrom;  // get_UseExistingFilesFrom points here
  std::atomic<int> timeoutSeconds{kDefaultTimeoutSeconds};
  std::atomic<ProcessLauncher*> launcher{nullptr};
  std::atomic<long long> deadlineMillis{0};  // steady clock; 0: none
};

Settings& State() {
  static Settings* settings = new Settings();  // never destroyed: fetchers may run at exit
  return *settings;
}

ProcessLauncher& Launcher() {
  static PosixProcessLauncher* posix = new PosixProcessLauncher();
  ProcessLauncher* replaced = State().launcher.load();
  return replaced != nullptr ? *replaced : *posix;
}

std::string WithSlash(const std::string& dir) {
  if (dir.empty() || dir.back() == '/') return dir;
  return dir + "/";
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Empties a regular file without following a link or opening anything else.
bool TruncateRegularFile(const char* path) {
  int fd = ::open(path, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

// Output of an earlier run must never reach the parser: remove it, or at
// least empty it. False (and nothing may run) when neither works. Only the
// fetcher's own output file: the command line may hold words that a name
// put there. A link is removed itself; its target is never touched.
bool CForeignCmdExecBase::RemoveOldOutput(const char* ownFile) {
  if (ownFile == nullptr || *ownFile == '\0') return true;
  if (::unlink(ownFile) == 0 || errno == ENOENT) return true;
  int unlinkError = errno;
  if (TruncateRegularFile(ownFile)) return true;
  EvEvent ev;
  ev.Error(kFetch, "Unable to remove old output file [%s]. Error [%d]-[%s]", ownFile, unlinkError,
           std::strerror(unlinkError));
  return false;
}

namespace {

constexpr const char kPasswordOption[] = "-password=";
constexpr size_t kPasswordOptionLength = sizeof(kPasswordOption) - 1;

// The password values of the command, so that the program's output cannot
// carry them into the log either.
std::vector<std::string> Secrets(const std::vector<std::string>& argv) {
  std::vector<std::string> secrets;
  for (const std::string& arg : argv) {
    if (arg.size() > kPasswordOptionLength &&
        ::strncasecmp(arg.c_str(), kPasswordOption, kPasswordOptionLength) == 0) {
      secrets.push_back(arg.substr(kPasswordOptionLength));
    }
  }
  return secrets;
}

std::string Redact(std::string text, const std::vector<std::string>& secrets) {
  for (const std::string& secret : secrets) {
    for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 4)) {
      text.replace(at, secret.size(), "****");
    }
  }
  return text;
}

}  // namespace

void CForeignCmdExecBase::MaskCutSecrets(std::string* text, const std::vector<std::string>& secrets) {
  size_t longest = 0;
  for (const std::string& secret : secrets) {
    for (size_t k = std::min(secret.size(), text->size()); k > longest; --k) {
      if (text->compare(text->size() - k, k, secret, 0, k) == 0) {
        longest = k;
        break;
      }
    }
  }
  if (longest > 0) text->replace(text->size() - longest, longest, "****");
}

namespace {

// The captured output as it may be logged: every secret masked, and the
// start of one that the capture limit cut off at the end as well.
std::string Shown(const std::string& output, const std::vector<std::string>& secrets) {
  std::string text = Redact(output, secrets);
  if (output.size() >= PosixProcessLauncher::kMaxOutput) CForeignCmdExecBase::MaskCutSecrets(&text, secrets);
  return text;
}

// "ANS1017E Session rejected: ..." : the first line of the output that
// carries a server or client message number, empty when none does.
std::string FirstServerMessage(const std::string& output) {
  size_t pos = 0;
  while (pos < output.size()) {
    size_t end = output.find('\n', pos);
    if (end == std::string::npos) end = output.size();
    if (end - pos >= 8 && (output.compare(pos, 3, "ANR") == 0 || output.compare(pos, 3, "ANS") == 0) &&
        std::isdigit(static_cast<unsigned char>(output[pos + 3]))) {
      std::string line = output.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    pos = end + 1;
  }
  return std::string();
}

// `text` is the output as Shown() gives it: redacted as a whole before it
// is cut into lines, so no cut separates a secret from its mask.
void LogOutput(EvEvent& ev, const std::string& text, size_t captured, long long jobId) {
  if (text.empty() || EvDebug::Level() < 7) return;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ev.DebugLvl(kFetch, 7, jobId, "Output: [%s]", line.c_str());
    pos = end + 1;
  }
  if (captured >= PosixProcessLauncher::kMaxOutput)
    ev.DebugLvl(kFetch, 7, jobId, "Output cut at [%zu] bytes", captured);
}

}  // namespace

CForeignCmdExecBase::CForeignCmdExecBase(CommunicationMethod method)
    : method_(method), jobId_(EvDebug::DefaultJobId()) {}

CForeignCmdExecBase::~CForeignCmdExecBase() = default;

std::string CForeignCmdExecBase::_GetCommandLine() { return std::string(); }

bool CForeignCmdExecBase::_ParseData(void*, const std::vector<std::string>&) {
  lineFormOverridden_ = false;
  return false;
}

bool CForeignCmdExecBase::_ParseData(void*, const std::string&) { return false; }

const char* CForeignCmdExecBase::_GetFileNameForData() const { return ""; }

CommandKind CForeignCmdExecBase::GetCommandKind() const {
  const char* name = _GetFileNameForData();
  return CommandStats::KindOfFile(name != nullptr ? name : "");
}

// One error line per failed fetch, so a failure is never only a level-4
// status line.
void CForeignCmdExecBase::reportFailure(bool parsed) const {
  const CommandKind kind = GetCommandKind();
  CommandStats::Record(kind, true);
  EvEvent ev;
  ev.Error(kFetch, "Command [%s] failed: status [%d]%s; %s", kind.name.c_str(), execResult_,
           noOutputFile_ ? ", no output file written"
           : parsed      ? ""
                         : ", output not parsed",
           firstMessage_.empty() ? "no ANR/ANS message" : firstMessage_.c_str());
}

void CForeignCmdExecBase::set_BinaryPath(const std::string& dir, bool remember) {
  binaryPath_ = dir;
  if (!remember) return;
  Settings& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.rememberedBinaryPath = dir;
}

void CForeignCmdExecBase::SetBinaryPath(const std::string& dir) { binaryPath_ = dir; }

std::string CForeignCmdExecBase::GetBinaryPath() const { return WithSlash(binaryPath_); }

void CForeignCmdExecBase::AddSuccessRetCode(int code) { successCodes_.insert(code); }

void CForeignCmdExecBase::set_logCommandLine(bool log) { logCommandLine_ = log; }

bool CForeignCmdExecBase::FetchData(void* out) {
  EvEvent ev;
  execResult_ = kNotRun;
  noOutputFile_ = false;
  firstMessage_.clear();
  unreadOutput_ = false;
  std::string commandLine = _GetCommandLine();  // may turn logging of the line off
  WorkFolderLock folder;
  std::string busy;
  if (commandLine != kSkipMarker && !get_UseExistingFiles() && !folder.Acquire(TimeoutSeconds(), &busy)) {
    ev.Error(kFetch, "Working folder busy, nothing run: %s", busy.c_str());
    execResult_ = kNotStarted;
    reportFailure(false);
    return false;
  }
  const bool runs = commandLine != kSkipMarker && !get_UseExistingFiles();
  if (!runCommand(commandLine)) {
    if (runs) reportFailure(false);
    return false;
  }
  // A run that left no file of its own would have the parser read nothing
  // as an empty answer.
  noOutputFile_ = runs && !HasOutputFile(_GetFileNameForData());
  bool parsed = !noOutputFile_ && parse(out);
  bool ok = parsed && (execResult_ == kNotRun || isSuccess(execResult_));
  ev.DebugLvl(kFetch, 4, jobId_, "Status [%d], parser %s, result %s", execResult_,
              parsed ? "succeeded" : "failed", ok ? "true" : "false");
  if (runs) {
    if (ok) {
      CommandStats::Record(GetCommandKind(), false);
    } else {
      reportFailure(parsed);
    }
  }
  if (unreadOutput_ && (ok || !runs)) CommandStats::RecordUnreadOutput(GetCommandKind());
  return ok;
}

bool CForeignCmdExecBase::runCommand(const std::string& commandLine) {
  EvEvent ev;
  if (commandLine == kSkipMarker) {
    ev.DebugLvl(kFetch, 4, jobId_, "No command to run");
    return true;
  }
  if (get_UseExistingFiles()) {
    ev.DebugLvl(kFetch, 4, jobId_, "Using existing files; no command run");
    execResult_ = 0;
    return true;
  }
  std::vector<std::string> argv = SplitCommandLine(commandLine);
  if (argv.empty()) {
    ev.Error(kFetch, "Empty command line");
    execResult_ = kNotStarted;
    return false;
  }
  if (!RemoveOldOutput(_GetFileNameForData())) {
    execResult_ = kNotStarted;
    return false;
  }
  std::string program = resolveProgram(argv[0]);
  if (program != argv[0])
    ev.DebugLvl(kFetch, 7, jobId_, "Program [%s] found at [%s]", argv[0].c_str(), program.c_str());
  argv[0] = program;
  if (logCommandLine_) {
    ev.DebugLvl(kFetch, 4, jobId_, "Running command [%s]", MaskCommandLine(commandLine).c_str());
  } else {
    ev.DebugLvl(kFetch, 4, jobId_, "Running command (command line not logged)");
  }
  if (JobDeadlinePassed()) {
    ev.Error(kFetch, "Job deadline passed: [%s] not started", GetCommandKind().name.c_str());
    execResult_ = kNotStarted;
    return false;
  }
  if (zyhost::StopSignal() != 0) {
    ev.Error(kFetch, "Run interrupted by signal [%d]: [%s] not started", zyhost::StopSignal(),
             GetCommandKind().name.c_str());
    execResult_ = kNotStarted;
    return false;
  }
  const int timeout = RunTimeoutSeconds();
  const bool deadlineBounds = timeout < TimeoutSeconds();
  LaunchResult run = Launcher().Run(argv, timeout);
  const std::string shown = Shown(run.output, Secrets(argv));
  firstMessage_ = FirstServerMessage(shown);
  if (!run.started) {
    ev.Error(kFetch, "Unable to start [%s]. Error [%s]", argv[0].c_str(), run.error.c_str());
    execResult_ = kNotStarted;
    return false;
  }
  LogOutput(ev, shown, run.output.size(), jobId_);
  if (run.stopSignal != 0) {
    execResult_ = kInterrupted;
    ev.Error(kFetch, "Command stopped: the run was interrupted by signal [%d]", run.stopSignal);
  } else if (run.timedOut) {
    execResult_ = kTimedOut;
    if (deadlineBounds) {
      ev.Error(kFetch, "Command stopped at the job deadline, [%d] seconds after its start", timeout);
    } else {
      ev.Error(kFetch, "Command did not end within [%d] seconds and was stopped", timeout);
    }
  } else if (run.exited) {
    execResult_ = run.exitStatus;
  } else if (run.signal != 0) {
    // Not 128 + signal: 137 is how the client reports a refused login.
    execResult_ = kKilledBase - run.signal;
    ev.Error(kFetch, "Command ended by signal [%d]", run.signal);
  } else {
    execResult_ = kKilledBase;
    ev.Error(kFetch, "Command ended, status unknown. Error [%s]", run.error.c_str());
  }
  ev.DebugLvl(kFetch, 4, jobId_, "Command ended with status [%d]", execResult_);
  return true;
}

bool CForeignCmdExecBase::HasOutputFile(const char* ownFile) {
  if (ownFile == nullptr || *ownFile == '\0') return true;  // the fetcher names none
  struct stat st;
  return ::lstat(ownFile, &st) == 0 && S_ISREG(st.st_mode);
}

bool CForeignCmdExecBase::parse(void* out) {
  lineFormOverridden_ = true;
  bool parsed = _ParseData(out, std::vector<std::string>());
  if (lineFormOverridden_) return parsed;
  const char* name = _GetFileNameForData();
  std::string path = name != nullptr ? name : "";
  if (get_UseExistingFiles()) path = std::string(get_UseExistingFilesFrom()) + path;
  return _ParseData(out, path);
}

std::string CForeignCmdExecBase::resolveProgram(const std::string& program) const {
  if (program.find('/') != std::string::npos) return program;
  for (const std::string& dir : {binaryPath_, RememberedBinaryPath()}) {
    if (!dir.empty() && IsExecutableFile(WithSlash(dir) + program)) return WithSlash(dir) + program;
  }
  if (IsExecutableFile(program)) return "./" + program;
  const char* env = std::getenv("PATH");
  std::string path = env != nullptr ? env : "/bin:/usr/bin";
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find(':', pos);
    if (end == std::string::npos) end = path.size();
    std::string dir = path.substr(pos, end - pos);
    if (!dir.empty() && IsExecutableFile(WithSlash(dir) + program)) return WithSlash(dir) + program;
    pos = end + 1;
  }
  return program;  // not found: starting it fails and says so
}

bool CForeignCmdExecBase::isSuccess(int status) const {
  if (successCodes_.empty()) return status == 0;
  return successCodes_.count(status) > 0;
}

std::vector<std::string> CForeignCmdExecBase::SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false;
  char quote = 0;
  for (char c : commandLine) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        current += c;
      }
    } else if (IsQuote(c)) {
      quote = c;
      inArgument = true;
    } else if (IsBlank(c)) {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(current);
  return args;
}

std::string CForeignCmdExecBase::QuoteArgument(const std::string& value) {
  bool plain = true;
  for (char c : value) plain = plain && !IsBlank(c) && !IsQuote(c);
  if (plain) return value;
  // Single quotes keep everything but a single quote; that one travels in
  // double quotes. Adjacent quoted runs join into one argument.
  std::string out;
  bool open = false;
  for (char c : value) {
    if (c == '\'') {
      if (open) out += '\'';
      open = false;
      out += "\"'\"";
      continue;
    }
    if (!open) out += '\'';
    open = true;
    out += c;
  }
  if (open) out += '\'';
  return out;
}

std::string CForeignCmdExecBase::MaskCommandLine(const std::string& commandLine) {
  std::string out;
  char quote = 0;
  size_t i = 0;
  while (i < commandLine.size()) {
    if (::strncasecmp(commandLine.c_str() + i, kPasswordOption, kPasswordOptionLength) != 0) {
      char c = commandLine[i++];
      if (quote != 0 && c == quote) {
        quote = 0;
      } else if (quote == 0 && IsQuote(c)) {
        quote = c;
      }
      out += c;
      continue;
    }
    // The value runs to the end of the argument, quoted runs included.
    out.append(commandLine, i, kPasswordOptionLength);
    const char openedBefore = quote;
    for (i += kPasswordOptionLength; i < commandLine.size(); ++i) {
      char c = commandLine[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (IsQuote(c)) {
        quote = c;
      } else if (IsBlank(c)) {
        break;
      }
    }
    out += "****";
    if (openedBefore != 0) out += openedBefore;
  }
  return out;
}

bool CForeignCmdExecBase::get_UseExistingFiles() {
  Settings& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.useExistingFiles;
}

const char* CForeignCmdExecBase::get_UseExistingFilesFrom() {
  Settings& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.useExistingFilesFrom.c_str();
}

void CForeignCmdExecBase::set_UseExistingFiles(bool use, const std::string& from) {
  Settings& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.useExistingFiles = use;
  s.useExistingFilesFrom = from;
}

void CForeignCmdExecBase::SetTimeoutSeconds(int seconds) {
  State().timeoutSeconds = seconds > 0 ? seconds : kDefaultTimeoutSeconds;
}

int CForeignCmdExecBase::TimeoutSeconds() { return State().timeoutSeconds; }

namespace {
long long NowMillis() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

void CForeignCmdExecBase::SetJobDeadline(int seconds) {
  State().deadlineMillis = seconds > 0 ? NowMillis() + 1000LL * seconds : 0;
}

bool CForeignCmdExecBase::JobDeadlinePassed() {
  long long deadline = State().deadlineMillis;
  return deadline != 0 && NowMillis() >= deadline;
}

// The command's own time-out, shortened to what is left of the job.
int CForeignCmdExecBase::RunTimeoutSeconds() {
  long long deadline = State().deadlineMillis;
  if (deadline == 0) return TimeoutSeconds();
  long long left = (deadline - NowMillis() + 999) / 1000;
  return static_cast<int>(std::max(1LL, std::min<long long>(left, TimeoutSeconds())));
}

void CForeignCmdExecBase::SetProcessLauncher(ProcessLauncher* launcher) { State().launcher = launcher; }

std::string CForeignCmdExecBase::RememberedBinaryPath() {
  Settings& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.rememberedBinaryPath;
}
