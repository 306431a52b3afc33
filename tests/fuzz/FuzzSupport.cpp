#include "tests/fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/CForeignCmdExecBase.h"
#include "host/EvDebug.h"
#include "host/ProcessLauncher.h"

namespace fuzzsupport {

namespace {

std::string& Folder() {
  static std::string* folder = new std::string();  // never destroyed: used up to exit
  return *folder;
}

// The working directory libFuzzer started in.
std::string& StartFolder() {
  static std::string* folder = new std::string();
  return *folder;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

void RemoveFolder() {
  if (!Folder().empty()) ::nftw(Folder().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void Die(const char* what) {
  std::fprintf(stderr, "fuzz setup: %s: %s\n", what, std::strerror(errno));
  std::abort();
}

// Memory-backed when /dev/shm is there: a harness writes a file per input.
std::string MakeFolder() {
  std::string base = "/dev/shm";
  if (::access(base.c_str(), W_OK) != 0) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  }
  std::string pattern = base + "/tsm-fuzz.XXXXXX";
  if (::mkdtemp(&pattern[0]) == nullptr) Die("cannot make a scratch folder");
  return pattern + "/";
}

// A harness reads files; a fetcher that tries to run a program is a
// harness fault.
class NoProgramLauncher : public ProcessLauncher {
 public:
  LaunchResult Run(const std::vector<std::string>& argv, int) override {
    std::fprintf(stderr, "fuzz setup: a harness tried to run [%s]\n", argv.empty() ? "" : argv[0].c_str());
    std::abort();
  }
};

void SetUpOnce() {
  if (!Folder().empty()) return;
  char start[4096];
  if (::getcwd(start, sizeof(start)) == nullptr) Die("cannot read the working directory");
  StartFolder() = start;
  Folder() = MakeFolder();
  std::atexit(RemoveFolder);
  if (!EvDebug::SetLogFile("/dev/null")) Die("cannot open /dev/null as the log");
  EvDebug::SetLevel(7);
  static NoProgramLauncher* const launcher = new NoProgramLauncher();  // kept to exit, even when replaced
  CForeignCmdExecBase::SetProcessLauncher(launcher);
}

}  // namespace

Session::Session() {
  SetUpOnce();
  // Every input starts from an empty folder, so no file of an earlier
  // input can change what this one does.
  RemoveFolder();
  if (::mkdir(Folder().c_str(), 0700) != 0) Die("cannot make the scratch folder again");
  if (::chdir(Folder().c_str()) != 0) Die("cannot enter the scratch folder");
}

Session::~Session() {
  if (::chdir(StartFolder().c_str()) != 0) Die("cannot return to the starting folder");
}

const std::string& ScratchFolder() {
  SetUpOnce();
  return Folder();
}

std::string AsString(const uint8_t* data, size_t size) {
  return size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
}

std::string WriteScratchFile(const std::string& name, const std::string& content) {
  const std::string path = ScratchFolder() + name;
  // A modification time of its own for every write: parsers that keep a
  // file's parse while its size and time stay must see each input as new
  // (the clock the kernel stamps files with moves in steps of milliseconds).
  static time_t stamp = 1000000000;
  const struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
  ++stamp;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  out.close();
  if (!out || ::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) Die("cannot write a scratch file");
  return path;
}

std::string ReadScratchFile(const std::string& name) {
  std::ifstream in(ScratchFolder() + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void UseExistingFiles(bool replay) {
  CForeignCmdExecBase::set_UseExistingFiles(replay, replay ? ScratchFolder() : std::string());
}

std::vector<std::string> SplitFiles(const std::string& input, size_t count) {
  std::vector<std::string> parts;
  const size_t markerLength = std::strlen(kFileSeparator);
  size_t from = 0;
  while (parts.size() + 1 < count) {
    size_t at = input.find(kFileSeparator, from);
    if (at == std::string::npos) break;
    parts.push_back(input.substr(from, at - from));
    from = at + markerLength;
  }
  parts.push_back(input.substr(from));
  parts.resize(count);
  return parts;
}

size_t MaxLines(const std::string& text) {
  size_t terminators = 0;
  for (char c : text) terminators += (c == '\r' || c == '\n') ? 1 : 0;
  return terminators + 1;
}

std::string Printable(const std::string& text, size_t limit) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < limit; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02X", c);
      out += escaped;
    }
  }
  if (text.size() > limit) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

void Check(bool ok, const char* what, const std::string& input) {
  if (ok) return;
  std::fprintf(stderr, "PROPERTY FAILED: %s\ninput: [%s]\n", what, Printable(input).c_str());
  if (!StartFolder().empty() && ::chdir(StartFolder().c_str()) != 0) std::perror("chdir");
  std::abort();
}

int RunHarness(const Harness* rows, size_t count, const char* name, const uint8_t* data, size_t size) {
  static Harness::Run run = nullptr;  // one harness per program
  for (size_t i = 0; run == nullptr && i < count; ++i) {
    if (std::strcmp(rows[i].name, name) == 0) run = rows[i].run;
  }
  if (run == nullptr) {
    std::fprintf(stderr, "fuzz setup: no harness named %s\n", name);
    std::abort();
  }
  const Session session;
  run(AsString(data, size));
  return 0;
}

}  // namespace fuzzsupport
