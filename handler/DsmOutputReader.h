// The one reader of dsmadmc output files: which lines of a file are data
// and which are the client's own (banner, command echo, messages). Every
// parser reads through it and keeps only its own column rules.
//
// The rules, in order, for each line:
//   1. The first `headerLines` lines are dropped, whatever they hold (the
//      layout each query has always been read with: four lines for the
//      queries run without -dataonly=yes, none for files written with it);
//      a command echo among them that wraps past them is followed to its
//      end (rule 3).
//      With `headerlessWhenMultiToken` (the node query) a first line of
//      more than one field means there is no header: nothing is dropped.
//   2. A client or server message line ("ANR2034E SELECT: No match...",
//      "ANS8002I Highest return code was 0.": three letters ANR or ANS,
//      four digits, a severity letter, then a blank or the end) is never
//      data, wherever it stands.
//   3. Until the first data line, the rest of a client banner is skipped:
//      blank lines, the product, interface, copyright, session, server
//      version and server date lines of every client level, and the
//      command echo "ANS8000I Server command: '...'" (with or without the
//      full stop of newer clients; a wrapped echo up to its closing quote).
//   4. An empty line once data has begun ends the file with
//      `emptyLineEnds` (the form A queries); otherwise it is skipped.
//   5. Every other line is data: it is split with the caller's rule and
//      handed on with its 1-based line number in the file.
//
// Example: an 8.1 client's file read with four header lines:
//   IBM Spectrum Protect                             dropped (rule 1)
//   Command Line Administrative Interface - ...      dropped (rule 1)
//   (c) Copyright by IBM Corporation ...             dropped (rule 1)
//                                                    dropped (rule 1)
//   Session established with server VEGA: Linux/x86_64    banner (rule 3)
//     Server Version 8, Release 1, Level 5.107      banner (rule 3)
//     Server date/time: 09/03/2020 10:06:11  ...    banner (rule 3)
//                                                    banner (rule 3)
//   ANS8000I Server command: 'query node ...'.       banner (rule 3)
//   WEB01,Linux86,...                                data, line 10
//                                                    end (rule 4) or skipped
//   ANS8002I Highest return code was 0.              message (rule 2)
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ZYFile;

// How a query's output file begins and ends.
struct DsmOutputLayout {
  int headerLines = 4;
  bool headerlessWhenMultiToken = false;
  bool emptyLineEnds = false;
};

// The layouts the queries are read with.
namespace dsmlayout {
// Form A queries run without -dataonly=yes (schedules, associations).
inline constexpr DsmOutputLayout kFormA{4, false, true};
// The node query: -dataonly=yes, but older files carry a header.
inline constexpr DsmOutputLayout kNodeQuery{4, true, true};
// Selects run without -dataonly=yes (storage, drives, jobs, DB2).
inline constexpr DsmOutputLayout kSelect{4, false, false};
// Files written with -dataonly=yes (version, server name, gathered drive
// and job files).
inline constexpr DsmOutputLayout kDataOnly{0, false, false};
}  // namespace dsmlayout

// Rule 2: a client or server message line.
bool IsDsmMessageLine(std::string_view line);

// Splits one data line into fields (a function of handler/Splitting.h).
using DsmSplitFunction = void (*)(const std::string& line, std::vector<std::string>& fields);

// One data line, valid during the callback only.
struct DsmRecord {
  const std::vector<std::string>& fields;
  const std::string& raw;
  size_t lineNumber;
};

// Called for each data line; false stops reading.
using DsmRecordHandler = std::function<bool(const DsmRecord& record)>;

// The rules above as a state machine over the lines of one file, for
// readers that own the loop. Not thread-safe; one per file.
class DsmOutputFilter {
 public:
  enum class Verdict { kSkip, kData, kEnd };

  explicit DsmOutputFilter(const DsmOutputLayout& layout) : layout_(layout) {}

  // The verdict on the next line, given its split fields.
  Verdict Next(const std::string& line, const std::vector<std::string>& fields);
  // Message lines met so far (rule 2), banner echo excluded.
  size_t messages() const { return messages_; }
  // The first message line met after the banner, for a log line.
  const std::string& firstMessage() const { return firstMessage_; }
  size_t lineNumber() const { return lineNumber_; }

 private:
  bool IsBannerLine(const std::string& line);
  // True when `line` opens or continues a command echo.
  bool TrackEcho(const std::string& line);

  DsmOutputLayout layout_;
  size_t lineNumber_ = 0;
  int dropLeft_ = -1;  // -1 until the first line decided it
  bool dataBegun_ = false;
  bool inEcho_ = false;
  size_t messages_ = 0;
  std::string firstMessage_;
};

// How a read ended.
enum class DsmReadEnd {
  kEndOfFile,  // every line read
  kEmptyLine,  // an empty line ended a form A file (rule 4)
  kStopped,    // the handler returned false
  kReadError,  // ZYFile::getLastError() says why
  kNotOpened,  // ReadDsmOutputFile only: the file could not be opened
};

// Reads an open file by the rules above. Never throws; the handler must
// not throw either. `filter`, when given, is left as the read ended (its
// message count).
DsmReadEnd ReadDsmOutput(ZYFile& file, const DsmOutputLayout& layout, DsmSplitFunction split,
                         const DsmRecordHandler& onRecord, DsmOutputFilter* filter = nullptr);

// Opens `path` and reads it as ReadDsmOutput does.
DsmReadEnd ReadDsmOutputFile(const std::string& path, const DsmOutputLayout& layout, DsmSplitFunction split,
                             const DsmRecordHandler& onRecord, DsmOutputFilter* filter = nullptr);

// The data lines of `text`, split: the same rules over text in memory.
std::vector<std::vector<std::string>> DsmOutputRecords(std::string_view text, const DsmOutputLayout& layout,
                                                       DsmSplitFunction split);
