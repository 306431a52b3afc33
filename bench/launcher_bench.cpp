// One program run through the command execution base against a bare
// posix_spawn + waitpid of the same program: the median of N runs each,
// alternating, of a program that exits at once.
//
//   launcher_bench [PROGRAM [RUNS]]     (default /bin/true, 1000)
//
// Prints one line: "execbase_us <median> bare_us <median> ratio <r>".
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/CForeignCmdExecBase.h"
#include "host/EvDebug.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A fetcher that runs the program and parses nothing.
class BareFetcher : public CForeignCmdExecBase {
 public:
  explicit BareFetcher(std::string program) : CForeignCmdExecBase(kCommunicationMethod0), program_(program) {}
  std::string _GetCommandLine() override { return program_; }
  bool _ParseData(void*, const std::vector<std::string>&) override { return true; }

 private:
  std::string program_;
};

double Micros(Clock::time_point from) {
  return std::chrono::duration<double, std::micro>(Clock::now() - from).count();
}

double ExecBaseRun(const std::string& program) {
  BareFetcher fetcher(program);
  auto start = Clock::now();
  if (!fetcher.FetchData(nullptr)) std::fprintf(stderr, "launcher_bench: %s failed\n", program.c_str());
  return Micros(start);
}

double BareRun(const std::string& program) {
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  auto start = Clock::now();
  pid_t pid;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return 0;
  int status;
  waitpid(pid, &status, 0);
  return Micros(start);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string program = argc > 1 ? argv[1] : "/bin/true";
  int runs = argc > 2 ? std::atoi(argv[2]) : 1000;
  EvDebug::SetLevel(0);
  std::vector<double> base, bare;
  for (int i = 0; i < runs; ++i) {
    base.push_back(ExecBaseRun(program));
    bare.push_back(BareRun(program));
  }
  double b = Median(base), p = Median(bare);
  std::printf("execbase_us %.1f bare_us %.1f ratio %.2f\n", b, p, p > 0 ? b / p : 0);
  return 0;
}
