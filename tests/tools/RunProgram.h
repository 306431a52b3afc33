// Runs a built program for the tools tests and collects what it wrote.
// Header-only: the test folder compiles only *_test.cpp files.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace toolstest {

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
  testsupport::TempDir io;
  testsupport::WriteFile(io.file("in"), input);
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
  result.out = testsupport::ReadFile(io.file("out"));
  result.err = testsupport::ReadFile(io.file("err"));
  return result;
}

// Lines of `text` without their terminators.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Fields of one comma output line, honouring the client's quoting.
inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace toolstest
