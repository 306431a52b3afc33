// tsm-discover diff and the JSON inventory: one change of each kind
// against the sample site's discovery, matching by name (order and file
// numbers are no change), the exit statuses, the JSON's escaping, and the
// demo's JSON against its schema with a real validator.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"
#include "tools/tsm-discover/diff/Changes.h"
#include "tools/tsm-discover/report/JsonWriter.h"
#include "tools/tsm-discover/report/ReplyReader.h"

namespace {

using namespace testsupport;
using tsmreport::ReportModel;

// The sample site's replies, from its checked-in replay set.
void ReplaySample(const std::string& out) {
  ScopedEnv password("TSM_PASSWORD", "Orbit7-Demo");
  ProgramResult r = RunProgram({BinDir() + "/tsm-discover", "run", "--replay",
                                SourceDir() + "/samples/replay", "--login", "ADMIN", "--out", out});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
}

// "~ client NODE: version", "+ library LIB": one line a change.
std::vector<std::string> Lines(const ReportModel& before, const ReportModel& after) {
  std::vector<std::string> lines;
  for (const tsmdiff::Change& c : tsmdiff::Compare(tsmdiff::ItemsOf(before), tsmdiff::ItemsOf(after))) {
    const char* mark = c.type == tsmdiff::ChangeType::kAdded     ? "+ "
                       : c.type == tsmdiff::ChangeType::kRemoved ? "- "
                                                                 : "~ ";
    lines.push_back(mark + c.kind + " " + c.key + (c.field.empty() ? "" : ": " + c.field));
  }
  return lines;
}

template <class T>
void Reverse(std::vector<T>* v) {
  std::reverse(v->begin(), v->end());
}

TEST(DiffTest, OneChangeOfEachKind) {
  TempDir tmp;
  ReplaySample(tmp.file("r"));
  ReportModel base;
  std::string error;
  ASSERT_TRUE(tsmreport::ReadReplies(tmp.file("r"), &base, &error)) << error;
  ASSERT_TRUE(!base.clients.empty() && !base.tasks.empty() && !base.libraries.empty() &&
              !base.media.empty() && !base.policies.empty() && !base.history.empty());
  ReportModel& m = base;  // names for the rows
  const tsmreport::ClientRow& client = m.clients[1];
  const tsmreport::TaskRow& task = m.tasks[0];
  const auto lib =
      std::find_if(m.libraries.begin(), m.libraries.end(), [](auto& l) { return !l.drives.empty(); });
  ASSERT_NE(lib, m.libraries.end());
  ASSERT_FALSE(client.subclients.empty() || task.subtasks.empty() || m.policies[0].copies.empty());
  const std::string drive = lib->name + " / " + lib->drives[0].name;
  const std::string medium = m.media[0].library + " / " + m.media[0].name;
  const std::string subtask = task.name + " / " + task.subtasks[0].name;
  const std::string subclient = client.name + " / " + client.subclients[0].name;
  const std::string history = m.history.begin()->first;

  struct Row {
    const char* what;
    std::function<void(ReportModel&)> change;
    std::vector<std::string> expected;
  };
  const std::vector<Row> rows = {
      {"nothing", [](ReportModel&) {}, {}},
      {"every list in another order",
       [](ReportModel& n) {
         Reverse(&n.clients);
         Reverse(&n.tasks);
         for (auto& t : n.tasks) Reverse(&t.clients);
         Reverse(&n.libraries);
         Reverse(&n.media);
         Reverse(&n.policies);
       },
       {}},
      {"client added",
       [](ReportModel& n) {
         n.clients.push_back({"ZZNEW", "", "", "", "", "", "", {}});
       },
       {"+ client ZZNEW"}},
      {"client removed", [&](ReportModel& n) { n.clients.erase(n.clients.begin() + 1); },
       [&] {
         std::vector<std::string> e = {"- client " + client.name};
         std::vector<std::string> subs;
         for (auto& sc : client.subclients) subs.push_back("- subclient " + client.name + " / " + sc.name);
         std::sort(subs.begin(), subs.end());
         e.insert(e.end(), subs.begin(), subs.end());
         return e;
       }()},
      {"client version",
       [](ReportModel& n) { n.clients[1].version += "-new"; },
       {"~ client " + client.name + ": version"}},
      {"subclient content",
       [](ReportModel& n) { n.clients[1].subclients[0].content.push_back("/extra"); },
       {"~ subclient " + subclient + ": content"}},
      {"task clients",
       [](ReportModel& n) { n.tasks[0].clients.push_back("ZZNODE"); },
       {"~ task " + task.name + ": clients"}},
      {"subtask pattern",
       [](ReportModel& n) {
         n.tasks[0].subtasks[0].words += " (changed)";
         n.tasks[0].subtasks[0].pattern.recurrenceFactor += 1;
       },
       {"~ subtask " + subtask + ": runs", "~ subtask " + subtask + ": recurrenceFactor"}},
      {"library added",
       [](ReportModel& n) {
         n.libraries.push_back({"ZZLIB", {}});
       },
       {"+ library ZZLIB"}},
      {"drive offline",
       [&](ReportModel& n) { (n.libraries.begin() + (lib - m.libraries.begin()))->drives[0].online ^= true; },
       {"~ drive " + drive + ": online"}},
      {"medium capacity",
       [](ReportModel& n) { n.media[0].capacity += "0"; },
       {"~ medium " + medium + ": capacity (MB)"}},
      {"policy copy",
       [](ReportModel& n) { n.policies[0].copies[0].description += "!"; },
       {"~ storage policy " + m.policies[0].name + ": copy " + m.policies[0].copies[0].name}},
      {"more jobs",
       [](ReportModel& n) { ++n.history.begin()->second.jobs; },
       {"~ job history " + history + ": jobs"}},
  };
  for (const Row& row : rows) {
    ReportModel changed = base;
    row.change(changed);
    EXPECT_EQ(Lines(base, changed), row.expected) << row.what;
  }
}

// The changes file against its schema, with the validator of
// python3-jsonschema; empty when it is valid, "skip" when it is missing.
std::string Validate(const std::string& schema, const std::string& json) {
  const char* script =
      "import json, sys\n"
      "try:\n import jsonschema\nexcept ImportError:\n print('skip'); sys.exit(0)\n"
      "s = json.load(open(sys.argv[1])); jsonschema.Draft202012Validator.check_schema(s)\n"
      "for e in jsonschema.Draft202012Validator(s).iter_errors(json.load(open(sys.argv[2]))): "
      "print(e.message)\n";
  ProgramResult r = RunProgram({"/usr/bin/python3", "-c", script, schema, json});
  return r.status == 0 ? r.out : "python3 failed: " + r.err;
}

TEST(DiffTest, ExitStatusAndMatchingByName) {
  if (!FileExists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3 (scripts/setup.sh installs it)";
  TempDir tmp;
  ReplaySample(tmp.file("old"));
  ReplaySample(tmp.file("new"));
  // The second run's files renumbered in the reverse order.
  const std::vector<std::string> names = ListDir(tmp.file("new"));
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].size() < 7 || names[i][6] != '-') continue;
    char number[8];
    snprintf(number, sizeof(number), "%06zu", 900 - i);
    ASSERT_EQ(rename(tmp.file("new/" + names[i]).c_str(),
                     tmp.file("new/" + std::string(number) + names[i].substr(6)).c_str()),
              0);
  }
  const std::string tsm = BinDir() + "/tsm-discover";
  ProgramResult same =
      RunProgram({tsm, "diff", tmp.file("old"), tmp.file("new"), "--json", tmp.file("same.json")});
  EXPECT_EQ(same.status, 0) << same.err;
  const std::string valid = Validate(SourceDir() + "/docs/diff.schema.json", tmp.file("same.json"));
  if (valid == "skip\n") GTEST_SKIP() << "python3-jsonschema is not installed (scripts/setup.sh installs it)";
  EXPECT_EQ(valid, "");

  // A job list and the storage policies gone; a file that does not parse.
  for (const std::string& name : ListDir(tmp.file("new"))) {
    if (name.find("JobList") != std::string::npos || name.find("StoragePolicyList") != std::string::npos) {
      ASSERT_EQ(remove(tmp.file("new/" + name).c_str()), 0);
    }
  }
  ProgramResult changed =
      RunProgram({tsm, "diff", tmp.file("old"), tmp.file("new"), "--json", tmp.file("changed.json")});
  EXPECT_EQ(changed.status, 1) << changed.err;
  EXPECT_EQ(Validate(SourceDir() + "/docs/diff.schema.json", tmp.file("changed.json")), "");
  ProgramResult text = RunProgram({tsm, "diff", tmp.file("old"), tmp.file("new")});
  EXPECT_EQ(text.status, 1);
  EXPECT_NE(text.out.find("\n- storage policy "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\n- job history "), std::string::npos) << text.out;

  WriteFile(tmp.file("new/000999-App.ClientsList.xml"), "<message");
  const std::vector<std::pair<std::vector<std::string>, const char*>> bad = {
      {{tmp.file("old"), tmp.file("new")}, "cannot be read"},
      {{tmp.file("old"), tmp.file("none")}, "cannot read the reply folder"},
      {{tmp.file("old")}, "two reply folders"},
      {{tmp.file("old"), tmp.file("old"), "--text", "--json", "x"}, "one of"},
  };
  for (const auto& [args, message] : bad) {
    std::vector<std::string> argv = {tsm, "diff"};
    argv.insert(argv.end(), args.begin(), args.end());
    ProgramResult r = RunProgram(argv);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
}

TEST(InventoryJsonTest, StringsAreValidJson) {
  const std::pair<std::string, std::string> rows[] = {
      {"plain", "\"plain\""},
      {"q\"b\\", "\"q\\\"b\\\\\""},
      {"tab\tnl\ncr\r\x01", "\"tab\\tnl\\ncr\\u000d\\u0001\""},
      {"caf\xc3\xa9 \xf0\x9f\x98\x80", "\"caf\xc3\xa9 \xf0\x9f\x98\x80\""},  // UTF-8 kept
      {"\xe9t\xe9", "\"\\u00e9t\\u00e9\""},                                  // Latin-1
      {"\xc0\xaf", "\"\\u00c0\\u00af\""},                                    // overlong
      {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},                         // surrogate
      {"\xe2\x82", "\"\\u00e2\\u0082\""},                                    // cut short
  };
  for (const auto& [text, json] : rows) EXPECT_EQ(tsmreport::JsonString(text), json) << text;
}

TEST(InventoryJsonTest, SampleSiteMatchesTheSchema) {
  if (!FileExists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3 (scripts/setup.sh installs it)";
  TempDir tmp;
  ReplaySample(tmp.file("r"));
  ProgramResult r = RunProgram({BinDir() + "/tsm-discover", "report", "--replies", tmp.file("r"), "--json",
                                tmp.file("inventory.json")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(FileExists(tmp.file("r/report.html"))) << "--json alone writes no page";
  const std::string valid = Validate(SourceDir() + "/docs/inventory.schema.json", tmp.file("inventory.json"));
  if (valid == "skip\n") GTEST_SKIP() << "python3-jsonschema is not installed (scripts/setup.sh installs it)";
  EXPECT_EQ(valid, "");
  const std::string json = ReadFile(tmp.file("inventory.json"));
  for (const char* part : {"\"subclients\":[{\"name\":", "\"pattern\":{\"frequencyType\":",
                           "\"drives\":[{\"name\":", "\"latestFailures\":[{\"start\":"})
    EXPECT_NE(json.find(part), std::string::npos) << part;
}

}  // namespace
