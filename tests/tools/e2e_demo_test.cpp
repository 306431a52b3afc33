// End to end: tsm-discover demo against the simulator and the sample
// site. Every operation returns true, every hand-over file is well-formed
// XML, and the administrator password is in no file of the output or the
// working directory.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/tools/RunProgram.h"

namespace {

using testsupport::ListDir;
using testsupport::ReadFile;
using testsupport::TempDir;

bool WellFormed(const std::string& path) {
  xmlDocPtr doc =
      xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return false;
  xmlFreeDoc(doc);
  return true;
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
  bool clientList = false;
  for (const std::string& name : xml) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(WellFormed(tmp.file("out/" + name)));
    clientList = clientList || name.find("App.ClientsList") != std::string::npos;
  }
  EXPECT_TRUE(clientList);
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
