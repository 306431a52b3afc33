// DiscoverMedia: in process with a scripted dsmadmc for the control check,
// hand-over failures, return codes and an empty site; end to end through
// tsm-discover against the simulator for the sample site (with the info
// items of every kind of item in their order and value types) and the
// replay set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/Guards.h"
#include "tests/support/RunProgram.h"
#include "tests/support/XmlQuery.h"

namespace {

using namespace testsupport;

const std::string kHeader = "h1\nh2\nh3\nh4\n";

// Paths below the root of each reply, to an info value by key, and to all
// info items of an item ("key,value,valueType" each).
const std::string kLibs = "/message/field[@name='libraryList']/message/field/message";
const std::string kMedia = "/message/field[@name='mediaList']/message/field/message";
const std::string kPolicies = "/message/field[@name='storagePolicies']/message";
std::string Info(int key) {
  return "/field[@name='info']/message/field/message[field[@name='key']=" + std::to_string(key) +
         "]/field[@name='value']";
}
const std::string kDrives = "/field[@name='drives']/message/field/message";
const std::string kInfos = "/field[@name='info']/message/field/message/field";

// The names each reply in `dir` holds: "L:" libraries, "M:" media (or
// "M-"), "P:" policies, one reply after the other.
std::string Replies(const std::string& dir) {
  std::string text;
  for (const std::string& name : ListDir(dir)) {
    const std::string f = dir + "/" + name;
    if (name.find("Libraries") != std::string::npos)
      text += " L:" + Texts(f, kLibs + "/field[@name='libraryName']");
    // "M-": no media list at all, the header fields alone.
    if (name.find("Medias") != std::string::npos)
      text += Texts(f, "count(/message/field[@name='mediaList'])") == "0"
                  ? " M-"
                  : " M:" + Texts(f, kMedia + "/field[@name='mediaName']");
    if (name.find("Policy") != std::string::npos) text += " P:" + Texts(f, kPolicies + "/field[1]");
  }
  return text;
}

TEST(DiscoverMediaTest, ControlCheckHandOverAndReturnCodes) {
  const std::string h = "TSM_" + GetHostName();
  const struct {
    const char* what;
    bool controlOk, handOverDir;
    int standAloneRc, mediaRc, policyRc;
    std::string expected;
    bool noMatch = false;  // every select finds nothing: ANR2034E and 11, as a server answers
  } cases[] = {
      {"everything found", true, true, 0, 0, 0,
       "true L:" + h + "_DEFAULT_LIBRARY,/d/v 1,LIB1 M:/d/v 1 M:VOL1 P:P1,P2," + h + "_Default_SP"},
      {"control check fails: no replies", false, true, 0, 0, 0, "false"},
      {"hand-over fails", true, false, 0, 0, 0, "false"},
      {"11 accepted for media and policies only", true, true, 11, 11, 11,
       "true L:" + h + "_DEFAULT_LIBRARY,LIB1 M- M:VOL1 P:P2," + h + "_Default_SP"},
      {"failed policy query still converted", true, true, 0, 3, 3,
       "true L:" + h + "_DEFAULT_LIBRARY,/d/v 1,LIB1 M:/d/v 1 M- P:P1,P2," + h + "_Default_SP"},
      {"an empty site: the defaults alone", true, true, 11, 11, 11,
       "true L:" + h + "_DEFAULT_LIBRARY M- M- P:" + h + "_Default_SP", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir out;
    ScopedHandOver handOver(c.handOverDir ? out.path() : "");
    Workspace w;
    FakeDsmadmc& fake = w.fake;
    if (c.noMatch)
      fake.On("-outfile=", kHeader + "ANR2034E SELECT: No match found using this criteria.\n", 11);
    fake.On("ixr_standalonelibs.txt", kHeader + "/d/v 1,P1" + std::string(22, ',') + "\n", c.standAloneRc);
    fake.On("ixr_libraries.txt", kHeader + CsvLine(std::vector<std::string>(17, "LIB1")) + "\n");
    fake.On("ixr_drives_LIB1.txt", kHeader + CsvLine(std::vector<std::string>(14, "D")) + "\n");
    fake.On("ixr_media.txt", kHeader + "VOL1,LTOCLASS,100.0,LIB1,P2\n", c.mediaRc);
    fake.On("ixr_storagepolicy.txt", kHeader + "LIB1,P2\n", c.policyRc);
    RecordingHostChannel channel;
    channel.set_ControlOk(c.controlOk);
    CForeignHandlerTSM handler;
    handler.SetHostChannel(&channel);
    FDC::ExternalNBUConfig config;
    const bool result = handler.DiscoverMedia(&config);
    EXPECT_EQ((result ? "true" : "false") + Replies(out.path()), c.expected);
    EXPECT_EQ(fake.commands().size(), c.noMatch ? 4u : 5u) << "every query runs";
  }
}

class MediaEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(work_.file("password"), "Orbit7-Demo\n");
    InstallSimulator(work_.path(), SourceDir() + "/samples/site");
  }

  // tsm-discover run --only clients,media, live or over the replay set;
  // the paths of the replies after the client list.
  std::vector<std::string> Discover(const TempDir& out, bool replay = false) {
    ProgramResult run = RunProgram({BinDir() + "/tsm-discover", "run", "--login", "ADMIN", "--password-file",
                                    work_.file("password"), "--out", out.path(), "--only", "clients,media",
                                    replay ? "--replay" : "--dsmadmc-dir",
                                    replay ? SourceDir() + "/samples/replay" : work_.path()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    std::vector<std::string> replies;
    for (const std::string& f : ListDir(out.path())) {
      if (f.find(".xml") != std::string::npos && f.find("ClientsList") == std::string::npos)
        replies.push_back(out.file(f));
    }
    return replies;
  }

  ScopedEnv noSite_{"DSMADMC_SIM_SITE", nullptr};
  TempDir work_, out_;
  const std::string h_ = GetHostName();
};

// Every leaf value of a reply but the library hosts' machine name, with
// this machine, the live TSM server, written as VEGA like the gathered set.
std::string Values(const std::string& file, const std::string& host) {
  std::string text = "," + Texts(file, "//field[not(message) and @name!='hostName']") + ",";
  for (const std::string& from : {"," + host + ",", ",TSM_" + host + ",", ",TSM_" + host + "_"}) {
    std::string to = from;
    to.replace(to.find(host), host.size(), "VEGA");
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  }
  return text;
}

TEST_F(MediaEndToEnd, SampleSiteGivesFourRepliesInOrderAndReplayTheSame) {
  const std::vector<std::string> r = Discover(out_);
  ASSERT_EQ(r.size(), 4u);
  const std::string H = h_, lto = kLibs + "[field[@name='libraryName']='LTOLIB1']";
  const std::string bfs = kLibs + "[field[@name='libraryName']='/tsm/file/00000A1C.BFS']";
  const std::string hosts = "/field[@name='hosts']//field[@name='hostItems']/message/field";
  const std::string request = "/*/field[@name='requestName']";
  const std::string disks =
      "/tsm/disk/backuppool01.dsm,/tsm/disk/backuppool02.dsm,/tsm/file/00000A1B.BFS,"
      "/tsm/file/00000A1C.BFS";
  const std::pair<std::string, std::string> cases[] = {
      {Replies(out_.path()), " L:TSM_" + H + "_DEFAULT_LIBRARY," + disks + ",LTOLIB1,RSMLIB M:" + disks +
                                 " M:A00001L6,A00002L6,A00003L6,A00004L6,A00004L6,R00001,R00002"
                                 " P:BACKUPPOOL,FILEPOOL,TapePool,COPYPOOL,RSMPOOL,TSM_" +
                                 H + "_Default_SP"},
      {Texts(r[2], kMedia + "/field[@name='libraryName']") + " " +
           Texts(r[0], kLibs + "/field[@name='field13']"),
       "LTOLIB1,LTOLIB1,LTOLIB1,LTOLIB1,RSMLIB,RSMLIB,RSMLIB 1,1,0,0,0,1,1"},
      {Texts(r[3], kPolicies + "[3]/field[@name='copies']/message/field[@name='copyName']"),
       "LTOLIB1,RSMLIB"},
      {Texts(r[0], request) + Texts(r[1], request) + Texts(r[2], request) + Texts(r[3], request),
       "tsm-discovertsm-discovertsm-discover"},
      {Texts(r[0], lto + kDrives + Info(151)) + " " + Texts(r[0], lto + kDrives + Info(161)),
       "DRV01,DRV02,DRV03 1,0,1"},
      // Info items as key,value,valueType, in order.
      {Texts(r[0], lto + kInfos),
       "8,1,1,1,Library Migrated From TSM,3,2,SCSI,3,3,Unknown,3,4,1,3,5,MXL0921A44,3,6,Unknown,3,"
       "7,{0,0,0,0},3,21,0,1,17,1,1,19,0,1"},
      {Texts(r[0], lto + kDrives + "[3]" + kInfos),
       "151,DRV03,3,155,unknown,3,158,3,1,1,External StandAlone Drive,3,152,LTO,3,154,unknown,3,153,LTO,3,"
       "157,1,1,159," +
           H + ",3,161,1,1,160,121,1"},
      {Texts(r[0], lto + hosts) + " " + Texts(r[0], kLibs + "[1]" + hosts),
       H + "," + H + ",N/A,1,0,0 " + H + "," + H + ",,1,0,0"},
      {Texts(r[0], bfs + kInfos),
       "8,3,1,1,External StandAlone Magnetic Library,3,11,/tsm/file/00000A1C.BFS,3,12,2048,2,13,0,2,"
       "14,/tsm/file/"
       "00000A1C.BFS,3,2,Magnetic,3,3,Magnetic,3,4,Magnetic,3,5,Magnetic,3,7,{0,0,0,0},3,17,4,1"},
      {Texts(r[0], bfs + kDrives + kInfos),
       "151,/tsm/file/00000A1C.BFS,3,155,/tsm/file/00000A1C.BFS,3,158,3,1,1,External StandAlone Library,3,"
       "152,Magnetic,3,154,Magnetic,3,153,FILE,3,157,1,1,159," +
           H + ",3,161,0,1"},
      {Texts(r[0], kLibs + "[1]" + kInfos),
       "161,1,1,8,3,1,1,Default Media Library created for TSM,3,11,(unknown),3,14,(unknown),3,15,0,2,16,0,2,"
       "2,Magnetic,3,3,Magnetic,3,4,Magnetic,3,5,Magnetic,3,7,{0,0,0,0},3,17,4,1"},
      {Texts(r[0], kLibs + "[1]" + kDrives + kInfos),
       "158,3,1,151,@aaab,3,152,Magnetic,3,153,Generic disk volume,3,154,Magnetic,3,155,@aaab,3,157,1,1,"
       "159," +
           H + ",3"},
      {Texts(r[1], kMedia + "[4]" + kInfos) + " " + Texts(r[2], kMedia + "[5]" + kInfos),
       "208,2048,2,209,0,2,11,/tsm/file/00000A1C.BFS,3,201,2,1,207,/tsm/file/00000A1C.BFS,3 "
       "208,1843200.5,2,209,0,2,11,A00004L6,3,201,1,1,207,A00004L6,3"},
  };
  for (const auto& [found, expected] : cases) EXPECT_EQ(found, expected);

  TempDir replayOut;
  const std::vector<std::string> replay = Discover(replayOut, /*replay=*/true);
  ASSERT_EQ(replay.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Values(replay[i], "VEGA"), Values(r[i], h_)) << replay[i];
}

}  // namespace
