#include "host/EvDebug.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "host/ZyUtil.h"

namespace {

struct LogState {
  std::mutex mutex;
  std::FILE* file = nullptr;
  std::string path;
  int level = 4;
  long long defaultJobId = 0;
  time_t lastFlush = 0;
  time_t stampTime = -1;  // the second `stamp` was formatted for
  char stamp[32] = {};
  bool failureReported = false;
};

// Lines are buffered: a flush per line cost a tenth of a discovery. What
// matters on a crash still reaches the file: error lines, the end of each
// operation (the outermost EvDebug going away) and at least one flush a
// second while lines are written.
constexpr size_t kLogBuffer = 64 * 1024;
constexpr time_t kFlushSeconds = 1;

thread_local int t_depth = 0;  // live EvDebug objects on this thread

// Called with the mutex held. A log that cannot be written (disk full) is
// said once on standard error rather than lost silently.
void FlushLocked(LogState& s, time_t now) {
  s.lastFlush = now;
  if (s.file == nullptr) return;
  if ((std::fflush(s.file) != 0 || std::ferror(s.file) != 0) && !s.failureReported) {
    s.failureReported = true;
    std::fprintf(stderr, "Cannot write the debug log %s: %s\n", s.path.c_str(), std::strerror(errno));
  }
}

LogState& State() {
  static LogState* state = new LogState();  // never destroyed: logging may run at exit
  return *state;
}

std::string Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof(small), format, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof(small)) return std::string(small, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), static_cast<size_t>(n));
}

constexpr int kErrorLevel = -1;

bool IsNullDevice(const struct stat& st) {
  struct stat null;
  return S_ISCHR(st.st_mode) && ::stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode) &&
         st.st_rdev == null.st_rdev;
}

}  // namespace

EvDebug::EvDebug(EvDebugFileInstance*) { ++t_depth; }

EvDebug::~EvDebug() {
  if (--t_depth == 0) Flush();
}

void EvDebug::Flush() {
  LogState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  FlushLocked(s, time(nullptr));
}

void EvDebug::Debug(const char* function, const char* format, ...) {
  if (Level() < 1) return;
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Write(function, 1, State().defaultJobId, text);
}

void EvDebug::DebugLvl(const char* function, int level, const char* format, ...) {
  if (level > Level()) return;
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Write(function, level, State().defaultJobId, text);
}

void EvDebug::DebugLvl(const char* function, int level, long long jobId, const char* format, ...) {
  if (level > Level()) return;
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Write(function, level, jobId, text);
}

void EvDebug::DebugJob(const char* function, long long jobId, const char* format, ...) {
  if (Level() < 1) return;
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Write(function, 1, jobId, text);
}

void EvDebug::Error(const char* function, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Write(function, kErrorLevel, State().defaultJobId, text);
}

std::string EvDebug::getHostName() { return GetHostName(); }

bool EvDebug::SetLogFile(const std::string& path) {
  LogState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.file != nullptr) std::fclose(s.file);
  s.file = nullptr;
  s.path.clear();
  s.failureReported = false;
  if (path.empty()) return true;
  // Never through a link: the log's folder may be writable by others. A
  // regular file, or the null device itself (a log asked to be dropped).
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  struct stat st;
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || IsNullDevice(st)))) {
    ::close(fd);
    fd = -1;
  }
  s.file = fd < 0 ? nullptr : ::fdopen(fd, "a");
  if (s.file == nullptr) {
    if (fd >= 0) ::close(fd);
    return false;
  }
  std::setvbuf(s.file, nullptr, _IOFBF, kLogBuffer);
  s.path = path;
  return true;
}

std::string EvDebug::LogFile() {
  LogState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.path;
}

void EvDebug::SetLevel(int level) { State().level = level; }
int EvDebug::Level() { return State().level; }
void EvDebug::SetDefaultJobId(long long jobId) { State().defaultJobId = jobId; }
long long EvDebug::DefaultJobId() { return State().defaultJobId; }

std::string EvDebug::MaskPasswords(const std::string& text) {
  static const std::string kKey = "-password=";
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t hit = text.find(kKey, pos);
    if (hit == std::string::npos) {
      out.append(text, pos, std::string::npos);
      break;
    }
    out.append(text, pos, hit - pos + kKey.size());
    size_t end = hit + kKey.size();
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '"') ++end;
    out += "****";
    pos = end;
  }
  return out;
}

void EvDebug::Write(const char* function, int level, long long jobId, const std::string& text) {
  LogState& s = State();
  if (level > s.level) return;
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.file == nullptr) return;
  time_t now = time(nullptr);
  if (now != s.stampTime) {
    struct tm local;
    localtime_r(&now, &local);
    std::strftime(s.stamp, sizeof(s.stamp), "%Y-%m-%d %H:%M:%S", &local);
    s.stampTime = now;
  }
  std::string lvl = level == kErrorLevel ? std::string("ERROR") : "lvl=" + std::to_string(level);
  std::fprintf(s.file, "%s pid=%d job=%lld %s [%s] %s\n", s.stamp, static_cast<int>(getpid()), jobId,
               lvl.c_str(), function != nullptr ? function : "", MaskPasswords(text).c_str());
  if (level == kErrorLevel || now - s.lastFlush >= kFlushSeconds) FlushLocked(s, now);
}
