// The command-line split and masking of CForeignCmdExecBase, and the
// composition of dsmadmc command lines.
//
// Byte 0 even: a command line is composed from the input: arguments of
// any bytes, each a word ("-password=", "-id=", ...) and a value passed
// through QuoteArgument, at blanks and tabs. SplitCommandLine must give
// every argument back byte for byte, and the masked line must split into
// the same arguments with each password value as "****". The input's
// first two values also go through FormA and FormB as login and password,
// and the first two as the names of the per-item queries (node, node
// schedules, DB2, drives, association): a query either is refused or holds each
// name as exactly one word where a plain name stands, so that no name
// can add, remove or reshape a word of the command.
// Byte 0 odd: the rest is any command line; the masked line must split
// into its arguments with each password value as "****" whenever every
// "-password=" of the arguments is written as such in the line (an
// option spelled across quotes, -pass"word=", is no line the plug-in
// composes and is not looked for).
#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "clients/CForeignHandlerTSMClient.h"
#include "clients/CForeignHandlerTSMDB2.h"
#include "handler/TSMAdminInfo.h"
#include "handler/TSMCommands.h"
#include "host/CForeignCmdExecBase.h"
#include "schedules/CForeignHandlerTSMAssoc.h"
#include "schedules/CForeignHandlerTSMSchedule.h"
#include "storage/CForeignHandlerTSMDrive.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using Base = CForeignCmdExecBase;
using fuzzsupport::Check;
using Args = std::vector<std::string>;

constexpr char kOption[] = "-password=";
constexpr size_t kOptionLength = sizeof(kOption) - 1;
constexpr const char* kWords[] = {"", "-password=", "-id=", "-outfile=", "-PassWord=", "q"};
constexpr const char* kGaps[] = {" ", "\t", "  ", " \t "};

size_t FindOption(const std::string& text, size_t from) {
  for (size_t i = from; i + kOptionLength <= text.size(); ++i) {
    if (::strncasecmp(text.c_str() + i, kOption, kOptionLength) == 0) return i;
  }
  return std::string::npos;
}

size_t CountOptions(const std::string& text) {
  size_t count = 0;
  for (size_t at = FindOption(text, 0); at != std::string::npos; at = FindOption(text, at + 1)) ++count;
  return count;
}

// What the masked line must split into: each argument cut after its first
// "-password=", followed by "****".
Args Masked(Args args) {
  for (std::string& arg : args) {
    const size_t at = FindOption(arg, 0);
    if (at != std::string::npos) arg = arg.substr(0, at + kOptionLength) + "****";
  }
  return args;
}

// A command as its arguments, each split again into its words (a quoted
// query argument holds several).
using Words = std::vector<Args>;

Words WordsOf(const std::string& commandLine) {
  Words words;
  for (const std::string& arg : Base::SplitCommandLine(commandLine))
    words.push_back(Base::SplitCommandLine(arg));
  return words;
}

// `words` with every `marker` replaced by `value`; a word that was the
// marker alone goes when `value` is empty (an empty name is no word), and
// so does an argument left without words.
Words Substituted(const Words& words, const std::string& marker, const std::string& value) {
  Words out;
  for (const Args& arg : words) {
    Args replaced;
    for (std::string word : arg) {
      if (word == marker && value.empty()) continue;
      for (size_t at = word.find(marker); at != std::string::npos;
           at = word.find(marker, at + value.size())) {
        word.replace(at, marker.size(), value);
      }
      replaced.push_back(word);
    }
    if (!replaced.empty()) out.push_back(replaced);
  }
  return out;
}

constexpr char kMarker[] = "ZZNAMEZZ";

// The command line of a fetcher F that `set` gave a name.
template <typename F, typename Set>
std::function<std::string(const std::string&)> Query(Set set) {
  return [set](const std::string& name) {
    F f;
    set(f, name);
    return f._GetCommandLine();
  };
}

// Each per-item query with `name` in its place: refused, or the words of
// the query with kMarker there, the marker replaced by the name as the
// query writes it. `other` fills the association's second name.
void CheckNamesInCommands(const std::vector<std::string>& values, const std::string& input) {
  const std::string name = values.size() > 0 ? values[0] : "";
  std::string other = values.size() > 1 ? values[1] : "";
  if (other.find(kMarker) != std::string::npos) other.clear();  // would be replaced too
  const struct {
    const char* what;
    std::function<std::string(const std::string&)> command;
    bool upperCase = false;
  } queries[] = {
      {"node query", Query<CTSMClients>([](auto& f, auto& n) { f.SetNodeName(n); })},
      {"node schedule query", Query<CTSMClientSchedule>([](auto& f, auto& n) { f.SetNodeName(n); })},
      {"DB2 select", Query<CTSMDB2Info>([](auto& f, auto& n) { f.set_clientName(n); }), true},
      {"drive select", Query<CTSMDrive>([](auto& f, auto& n) { f.set_libraryName(n); })},
      {"association query, domain",
       Query<CTSMAssoc>([&](auto& f, auto& n) { f.SetPolicyDomain(n), f.SetPolicyName(other); })},
      {"association query, schedule",
       Query<CTSMAssoc>([&](auto& f, auto& n) { f.SetPolicyDomain(other), f.SetPolicyName(n); })},
  };
  for (const auto& query : queries) {
    const std::string line = query.command(name);
    if (line == Base::kSkipMarker) continue;
    const std::string asWritten = query.upperCase ? tsmcmd::ToUpper(name) : name;
    Check(WordsOf(line) == Substituted(WordsOf(query.command(kMarker)), kMarker, asWritten), query.what,
          input);
  }
}

void CheckComposedLine(FuzzedDataProvider& in, const std::string& input) {
  std::string line;
  Args expected;
  std::vector<std::string> values;
  while (in.remaining_bytes() > 0 && expected.size() < 8) {
    const std::string word = in.PickValueInArray(kWords);
    const std::string value = in.ConsumeRandomLengthString(200);
    values.push_back(value);
    if (word.empty() && value.empty()) continue;  // no argument at all
    line += in.PickValueInArray(kGaps) + word + Base::QuoteArgument(value);
    expected.push_back(word + value);
  }
  Check(Base::SplitCommandLine(line) == expected, "composed line splits into its arguments", input);
  Check(Base::SplitCommandLine(Base::MaskCommandLine(line)) == Masked(expected), "masked composed line",
        input);

  TSMAdminInfo admin;
  admin.login = values.size() > 0 ? values[0] : "";
  admin.password = values.size() > 1 ? values[1] : "";
  const Args a = Base::SplitCommandLine(tsmcmd::FormA("/opt/tsm/", admin, tsmcmd::kNodeFile, " q node"));
  Check(a.size() == 6 && a[0] == "/opt/tsm/dsmadmc" && a[1] == "-id=" + admin.login &&
            a[2] == "-password=" + admin.password && a[3] == std::string("-outfile=") + tsmcmd::kNodeFile,
        "form A credentials", input);
  const Args b = Base::SplitCommandLine(tsmcmd::FormB(admin, tsmcmd::kConfigFile, tsmcmd::kVersionSelect));
  Check(b.size() == 6 && b[1] == "-id=" + admin.login && b[2] == "-password=" + admin.password &&
            b[5] == tsmcmd::kVersionSelect,
        "form B credentials", input);
  CheckNamesInCommands(values, input);
}

void CheckAnyLine(const std::string& line, const std::string& input) {
  const Args args = Base::SplitCommandLine(line);
  const std::string masked = Base::MaskCommandLine(line);
  size_t inArgs = 0;
  for (const std::string& arg : args) inArgs += CountOptions(arg);
  if (inArgs != CountOptions(line)) return;
  Check(Base::SplitCommandLine(masked) == Masked(args), "masked line", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string input = fuzzsupport::AsString(data, size);
  if (data[0] % 2 == 0) {
    FuzzedDataProvider in(data + 1, size - 1);
    CheckComposedLine(in, input);
  } else {
    CheckAnyLine(input.substr(1), input);
  }
  return 0;
}
