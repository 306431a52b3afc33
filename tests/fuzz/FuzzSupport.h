// Helpers of the libFuzzer harnesses (one process per harness, one input
// at a time, no threads).
//
// A harness that reads files opens a Session first in every
// LLVMFuzzerTestOneInput. The first one makes a private scratch folder
// (removed at exit), sends the debug log, at its most detailed level, to
// /dev/null (every log line is formatted and masked, nothing is written)
// and makes any attempt to start a program abort. Each Session empties the
// scratch folder and makes it the working directory while it lives, so that the
// parsers find their output files where a live run leaves them, and
// libFuzzer's own relative paths keep working between inputs. Any failure
// to set up aborts: a harness that cannot run must not look clean.
//
// A property that does not hold is reported with Check(): it prints what
// failed and the input, returns to the starting folder and aborts, so
// that libFuzzer keeps the input as a crash artifact. A sanitizer report
// inside a Session leaves libFuzzer in the scratch folder: give it an
// absolute -artifact_prefix (scripts/fuzz.sh does).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzsupport {

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
};

// The scratch folder, ending in "/".
const std::string& ScratchFolder();

std::string AsString(const uint8_t* data, size_t size);

// Writes `content` to `name` in the scratch folder, replacing it, with a
// modification time no earlier write had; returns its path. Aborts when
// the write fails.
std::string WriteScratchFile(const std::string& name, const std::string& content);
std::string ReadScratchFile(const std::string& name);

// Runs the parsers as a live run does (false) or from files gathered
// earlier in the scratch folder (true).
void UseExistingFiles(bool replay);

// Inputs that stand for several files separate them with lines of this
// marker; SplitFiles returns exactly `count` parts (missing ones empty,
// the last one keeps any further markers).
inline constexpr const char* kFileSeparator = "\n@@next-file@@\n";
std::vector<std::string> SplitFiles(const std::string& input, size_t count);

// Number of lines ReadNextRawLine can return for `text` at most.
size_t MaxLines(const std::string& text);

// Escaped, shortened text for failure reports.
std::string Printable(const std::string& text, size_t limit = 300);

void Check(bool ok, const char* what, const std::string& input);

// A harness of a source that holds several of one shape, one program each
// (tests/fuzz/CMakeLists.txt): its name and what it does with an input.
struct Harness {
  using Run = void (*)(const std::string& input);
  const char* name;
  Run run;
};

// Runs the input through the harness of `rows` named `name` inside a
// Session; aborts when no row has that name.
int RunHarness(const Harness* rows, size_t count, const char* name, const uint8_t* data, size_t size);
template <size_t N>
int RunHarness(const Harness (&rows)[N], const char* name, const uint8_t* data, size_t size) {
  return RunHarness(rows, N, name, data, size);
}

}  // namespace fuzzsupport
