// The host's debug log. One line per entry:
//   2026-12-06 10:37:13 pid=123 job=42 lvl=4 [Function] text
// Error entries carry "ERROR" in place of the level. Entries above the
// level threshold are dropped. Configuration is process-wide; without a
// log file nothing is written. Lines are buffered and reach the file on
// an error line, when the outermost EvDebug object of a thread goes away
// (the end of an operation), at least once a second while lines are
// written, on Flush and at exit. Every line has "-password=<value>" masked
// as "-password=****" before it is written, as a last guard.
#pragma once

#include <cstdarg>
#include <string>

#include "host/ZyHostApi.h"

class EvDebugFileInstance;

class ZYHOST_API EvDebug {
 public:
  explicit EvDebug(EvDebugFileInstance* instance = nullptr);
  virtual ~EvDebug();

  // Level 1.
  void Debug(const char* function, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void DebugLvl(const char* function, int level, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
  void DebugLvl(const char* function, int level, long long jobId, const char* format, ...)
      __attribute__((format(printf, 5, 6)));
  // Level 1, with the job id.
  void DebugJob(const char* function, long long jobId, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
  // Always written.
  void Error(const char* function, const char* format, ...) __attribute__((format(printf, 3, 4)));

  static std::string getHostName();

  // Process-wide configuration. An empty path closes the log. False when
  // the file cannot be opened for appending, is a link or is not a
  // regular file.
  static bool SetLogFile(const std::string& path);
  // Writes the buffered lines to the file.
  static void Flush();
  static std::string LogFile();
  static void SetLevel(int level);  // default 4
  static int Level();
  // Job id written in lines that carry none.
  static void SetDefaultJobId(long long jobId);
  static long long DefaultJobId();

  // Writes one entry; level < 0 marks an error. For the services of the
  // host library itself.
  static void Write(const char* function, int level, long long jobId, const std::string& text);
  static std::string MaskPasswords(const std::string& text);
};

// The log object every operation and parser creates on entry.
class ZYHOST_API EvEvent : public EvDebug {
 public:
  explicit EvEvent(EvDebugFileInstance* instance = nullptr) : EvDebug(instance) {}
};
