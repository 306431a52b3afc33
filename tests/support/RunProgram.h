// Runs a built program (simulator, tsm-discover) and collects what it
// wrote. Header-only so test folders need not link anything new.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace testsupport {

struct ProgramResult {
  int status = -1;  // exit status, -1 when killed
  int signal = 0;   // the signal that ended it
  std::string out;
  std::string err;
};

// Runs argv (argv[0] a path) in `cwd` (empty: the current directory) with
// standard input from `input` and the test's environment.
inline ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& cwd = "",
                                const std::string& input = "") {
  TempDir io;
  WriteFile(io.file("in"), input);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int in = open(io.file("in").c_str(), O_RDONLY);
    int out = open(io.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(io.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    execv(args[0], args.data());
    _exit(127);
  }
  ProgramResult result;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  result.out = ReadFile(io.file("out"));
  result.err = ReadFile(io.file("err"));
  return result;
}

// A copy of the built dsmadmc simulator in `dir` (it writes its output
// files next to itself), serving `site` when one is named.
inline void InstallSimulator(const std::string& dir, const std::string& site = "") {
  WriteFile(dir + "/dsmadmc", ReadFile(BinDir() + "/dsmadmc"));
  ::chmod((dir + "/dsmadmc").c_str(), 0755);
  if (!site.empty()) WriteFile(dir + "/dsmadmc-sim.site", site + "\n");
}

// Lines of `text` without their terminators.
inline std::vector<std::string> Lines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The words of `text` split at white space, e.g. an argument vector.
inline std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

}  // namespace testsupport
