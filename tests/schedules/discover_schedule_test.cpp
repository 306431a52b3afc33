// DiscoverSchedule with a scripted dsmadmc: one request per backup
// schedule, handed over in record order, and the result rule.
#include <gtest/gtest.h>

#include "handler/CForeignHandlerTSM.h"
#include "host/HandOver.h"
#include "host/Messages.h"
#include "host/ZYPlatformInfo.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace testsupport;
using namespace schedtest;
using Strings = std::vector<std::string>;

const std::string kTask = "TMMsg.CreateTaskReq.xml";

class DiscoverScheduleTest : public ::testing::Test {
 protected:
  DiscoverScheduleTest() : oldHandOver_(zyhost::HandOverDirectory()) {
    zyhost::SetHandOverDirectory(out_.path());
    zyhost::ResetHandOverSequence();
    config_.setstring(5, 17, bin_.path());
    config_.setstring(11, 41, "admin");
    config_.setstring(12, 45, "secret");
  }
  ~DiscoverScheduleTest() override {
    zyhost::SetHandOverDirectory(oldHandOver_);
    zyhost::ResetHandOverSequence();
    ZYPlatformInfo::SetRegistryFile("");
  }
  static std::string Line(const std::string& name, const std::string& action = "Incremental") {
    return ScheduleLine(false, {{kName, name}, {kAction, action}}) + "\n";
  }
  void Associate(const std::string& schedule, const std::string& nodes) {
    fake_.On("association STANDARD " + schedule, kHeader + "STANDARD," + schedule + "," + nodes + "\n");
  }
  void Node(const std::string& name) {
    Strings f(33, "x");
    f[0] = name, f[1] = "Linux86";
    fake_.On("query node " + name + " ", CsvLine(f) + "\n");
  }
  // Subtasks and entities of the n-th request handed over.
  std::string Counts(int n) {
    std::unique_ptr<CNMessageBase> req =
        zyhost::ReadMessageXml(out_.file("00000" + std::to_string(n) + "-" + kTask));
    const CNMessageBase* definition = req->findField(2)->object.get();
    auto size = [&](FieldRef f) {
      return definition->isSet(f.index) ? definition->findField(f.index)->list->size() : 0;
    };
    return std::to_string(size(TMMsg::TaskDefinition::subTasks)) + " subtasks, " +
           std::to_string(size(TMMsg::TaskDefinition::associations)) + " entities, " +
           std::to_string(req->getint64(4, 4)) + "/" + std::to_string(req->getint64(5, 5));
  }

  ScopedChdir cd_{"/"};
  ScopedExistingFiles live_{false, ""};
  TempDir bin_, out_;
  std::string oldHandOver_;
  FakeDsmadmc fake_;
  FDC::ExternalNBUConfig config_;
  CForeignHandlerTSM handler_;
};

TEST_F(DiscoverScheduleTest, FailedNodeQueryHandsOverItsIncompleteRequestAndStops) {
  fake_.On("query schedule", kHeader + Line("ALPHA") + Line("BRAVO") + Line("CHARLIE"));
  Associate("ALPHA", "N1");
  Associate("BRAVO", "N1 N2 N3");
  Associate("CHARLIE", "N4");
  Node("N1");
  fake_.FailOn("query node N2 ", 3);
  Node("N3");
  Node("N4");
  EXPECT_FALSE(handler_.DiscoverSchedule(&config_));
  EXPECT_EQ(ListDir(out_.path()), (Strings{"000001-" + kTask, "000002-" + kTask}));
  EXPECT_EQ(Counts(1), "1 subtasks, 1 entities, 0/8");
  EXPECT_EQ(Counts(2), "0 subtasks, 1 entities, 0/8");
  EXPECT_EQ(fake_.CountCommands("query node N3 ") + fake_.CountCommands("query node N4 "), 0u);
}

TEST_F(DiscoverScheduleTest, ResultWithoutRequests) {
  const struct {
    const char* what;
    std::string schedules;  // empty: the query fails
    bool registrySet, handOverFails;
    bool ok;
    size_t runs;
  } cases[] = {{"only other actions", kHeader + Line("ARC", "ARCHIVE") + Line("CMD", "Command"), false, false,
                true, 1},
               {"failed schedule query", "", false, false, false, 1},
               {"registry switch set", kHeader + Line("ALPHA"), true, false, true, 0},
               {"hand-over fails", kHeader + Line("ALPHA"), false, true, false, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDsmadmc fake;
    if (c.schedules.empty()) fake.FailOn("query schedule", 3);
    fake.On("query schedule", c.schedules);
    WriteFile(bin_.file("registry.ini"), "[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /gathered\n");
    ZYPlatformInfo::SetRegistryFile(c.registrySet ? bin_.file("registry.ini") : "");
    zyhost::SetHandOverDirectory(c.handOverFails ? "" : out_.path());
    EXPECT_EQ(handler_.DiscoverSchedule(&config_), c.ok);
    EXPECT_EQ(fake.commands().size(), c.runs);
    EXPECT_TRUE(ListDir(out_.path()).empty());
  }
}

}  // namespace
