// End to end: tsm-discover demo against the simulator and the sample
// site. Every operation returns true, every hand-over file is well-formed
// XML, and the administrator password is in no file of the output or the
// working directory.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/tools/RunProgram.h"

namespace {

using testsupport::ListDir;
using testsupport::ReadFile;
using testsupport::TempDir;

std::string Attribute(xmlNodePtr node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

bool IsElement(xmlNodePtr node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

// The child <field index="index"> of a <message>, or null.
xmlNodePtr Field(xmlNodePtr message, const char* index) {
  for (xmlNodePtr c = message == nullptr ? nullptr : message->children; c != nullptr; c = c->next) {
    if (IsElement(c, "field") && Attribute(c, "index") == index) return c;
  }
  return nullptr;
}

xmlNodePtr FirstMessage(xmlNodePtr field) {
  for (xmlNodePtr c = field == nullptr ? nullptr : field->children; c != nullptr; c = c->next) {
    if (IsElement(c, "message")) return c;
  }
  return nullptr;
}

long Messages(xmlNodePtr field) {
  long n = 0;
  for (xmlNodePtr c = field == nullptr ? nullptr : field->children; c != nullptr; c = c->next) {
    n += IsElement(c, "message") ? 1 : 0;
  }
  return n;
}

// What one hand-over file carries, counted from its XML independently of
// tsm-discover: {clients, tasks, libraries, media, policies, jobs}.
// False when the file is not well-formed.
bool CountFile(const std::string& path, std::vector<long>* counts) {
  xmlDocPtr doc =
      xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return false;
  xmlNodePtr root = xmlDocGetRootElement(doc);
  std::string type = Attribute(root, "group") + "." + Attribute(root, "class");
  if (path.find("-sent-") == std::string::npos) {
    if (type == "30.164") (*counts)[0] += Messages(Field(root, "1"));
    if (type == "12.175") (*counts)[1] += 1;
    if (type == "32.47") (*counts)[2] += Messages(Field(FirstMessage(Field(root, "4")), "1"));
    if (type == "32.9") (*counts)[3] += Messages(Field(FirstMessage(Field(root, "4")), "1"));
    if (type == "32.52") (*counts)[4] += Messages(Field(root, "4"));
    if (type == "32.11") (*counts)[5] += Messages(Field(root, "2"));
  }
  xmlFreeDoc(doc);
  return true;
}

// The numbers of the summary's Total row after the seconds.
std::vector<long> TotalRow(const std::string& out) {
  std::vector<long> numbers;
  for (const std::string& line : toolstest::Lines(out)) {
    if (line.rfind("  Total ", 0) != 0) continue;
    std::istringstream in(line.substr(8));
    double seconds = 0;
    long n = 0;
    in >> seconds;
    while (in >> n) numbers.push_back(n);
  }
  return numbers;
}

TEST(EndToEndTest, DemoRunsTheWholeJob) {
  TempDir tmp;
  toolstest::ProgramResult r = toolstest::RunProgram({testsupport::BinDir() + "/tsm-discover", "demo",
                                                      "--out", tmp.file("out"), "--work", tmp.file("work")});
  ASSERT_EQ(r.status, 0) << r.out << r.err;

  for (const char* op :
       {"DiscoverConfig", "DiscoverClients", "DiscoverSchedule", "DiscoverMedia", "DiscoverJobs"}) {
    SCOPED_TRACE(op);
    bool found = false;
    for (const std::string& line : toolstest::Lines(r.out)) {
      if (line.rfind(op, 0) != 0) continue;
      found = true;
      EXPECT_NE(line.find(" true "), std::string::npos) << line;
    }
    EXPECT_TRUE(found) << r.out;
  }
  EXPECT_NE(r.out.find("Replies in " + tmp.file("out")), std::string::npos) << r.out;

  std::vector<std::string> xml;
  for (const std::string& name : ListDir(tmp.file("out"))) {
    if (name.size() > 4 && name.substr(name.size() - 4) == ".xml") xml.push_back(name);
  }
  ASSERT_FALSE(xml.empty());
  std::vector<long> counts(6, 0);
  for (const std::string& name : xml) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(CountFile(tmp.file("out/" + name), &counts));
  }
  EXPECT_GT(counts[0], 0);  // clients
  // The summary reports what the files hold.
  counts.push_back(static_cast<long>(xml.size()));
  EXPECT_EQ(TotalRow(r.out), counts) << r.out;
  // The job ran dsmadmc in the working directory.
  EXPECT_TRUE(testsupport::FileExists(tmp.file("work/bin/ixr_node.txt")));

  for (const std::string& dir : {tmp.file("out"), tmp.file("work/bin")}) {
    for (const std::string& name : ListDir(dir)) {
      SCOPED_TRACE(dir + "/" + name);
      EXPECT_EQ(ReadFile(dir + "/" + name).find("Orbit7-Demo"), std::string::npos);
    }
  }
}

}  // namespace
