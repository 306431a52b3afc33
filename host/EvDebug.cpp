#include "host/EvDebug.h"

#include <unistd.h>

#include <cstdio>
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
};

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

}  // namespace

EvDebug::EvDebug(EvDebugFileInstance*) {}
EvDebug::~EvDebug() = default;

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
  if (path.empty()) return true;
  s.file = std::fopen(path.c_str(), "ae");
  if (s.file == nullptr) return false;
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
  struct tm local;
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &local);
  std::string lvl = level == kErrorLevel ? std::string("ERROR") : "lvl=" + std::to_string(level);
  std::fprintf(s.file, "%s pid=%d job=%lld %s [%s] %s\n", stamp, static_cast<int>(getpid()), jobId,
               lvl.c_str(), function != nullptr ? function : "", MaskPasswords(text).c_str());
  std::fflush(s.file);
}
