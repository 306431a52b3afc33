// DiscoverMedia: in process with a scripted dsmadmc for the control check,
// hand-over failures and return codes; end to end through tsm-discover
// against the simulator for the sample site, an empty site, a storage
// policy query cut short and the replay set.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/ZyUtil.h"
#include "tests/storage/StorageTestSupport.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/Guards.h"
#include "tests/support/RunProgram.h"

namespace {

using namespace storagetest;
using namespace testsupport;

const std::string kHeader = "h1\nh2\nh3\nh4\n";

// Text of every node `xpath` selects in the XML file, joined by ",".
std::string Texts(const std::string& file, const std::string& xpath) {
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET),
                                                     xmlFreeDoc);
  if (doc == nullptr) return "unreadable";
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc.get());
  xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), ctx);
  std::string texts;
  for (int i = 0; result != nullptr && result->nodesetval != nullptr && i < result->nodesetval->nodeNr; ++i) {
    xmlChar* content = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
    texts += (i > 0 ? "," : "") + std::string(reinterpret_cast<const char*>(content));
    xmlFree(content);
  }
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(ctx);
  return texts;
}

// Paths below the root of each reply, and to an info value by key.
const std::string kLibs = "/message/field[@name='libraryList']/message/field/message";
const std::string kMedia = "/message/field[@name='mediaList']/message/field/message";
const std::string kPolicies = "/message/field[@name='storagePolicies']/message";
std::string Info(int key) {
  return "/field[@name='info']/message/field/message[field[@name='key']=" + std::to_string(key) +
         "]/field[@name='value']";
}
const std::string kDrives = "/field[@name='drives']/message/field/message";

// The names each reply in `dir` holds: "L:" libraries, "M:" media, "P:"
// policies, one reply after the other.
std::string Replies(const std::string& dir) {
  std::string text;
  for (const std::string& name : ListDir(dir)) {
    const std::string f = dir + "/" + name;
    if (name.find("Libraries") != std::string::npos)
      text += " L:" + Texts(f, kLibs + "/field[@name='libraryName']");
    if (name.find("Medias") != std::string::npos)
      text += " M:" + Texts(f, kMedia + "/field[@name='mediaName']");
    if (name.find("Policy") != std::string::npos) text += " P:" + Texts(f, kPolicies + "/field[1]");
  }
  return text;
}

TEST(DiscoverMediaTest, ControlCheckHandOverAndReturnCodes) {
  const std::string h = "TSM_" + GetHostName();
  const std::string all =
      " L:" + h + "_DEFAULT_LIBRARY,/d/v 1,LIB1 M:/d/v 1 M:VOL1 P:P1,P2," + h + "_Default_SP";
  const struct {
    const char* what;
    bool controlOk, handOverDir;
    int standAloneRc, mediaRc, policyRc;
    std::string expected;
  } cases[] = {
      {"everything found", true, true, 0, 0, 0, "true" + all},
      {"control check fails: no replies", false, true, 0, 0, 0, "false"},
      {"hand-over fails", true, false, 0, 0, 0, "false"},
      {"11 accepted for media and policies only", true, true, 11, 11, 11,
       "true L:" + h + "_DEFAULT_LIBRARY,LIB1 M: M:VOL1 P:P2," + h + "_Default_SP"},
      {"failed policy query still converted", true, true, 0, 3, 3,
       "true L:" + h + "_DEFAULT_LIBRARY,/d/v 1,LIB1 M:/d/v 1 M: P:P1,P2," + h + "_Default_SP"},
  };
  const std::string oldHandOver = zyhost::HandOverDirectory();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work, out;
    ScopedChdir cd(work.path());
    ScopedExistingFiles live(false, "");
    zyhost::SetHandOverDirectory(c.handOverDir ? out.path() : "");
    zyhost::ResetHandOverSequence();
    FakeDsmadmc fake;
    std::vector<std::string> volume(24, "x");
    volume[0] = "/d/v 1", volume[1] = "P1";
    fake.On("ixr_standalonelibs.txt", kHeader + CsvLine(volume) + "\n", c.standAloneRc);
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
    EXPECT_EQ(fake.commands().size(), 5u) << "every query runs";
  }
  zyhost::SetHandOverDirectory(oldHandOver);
}

class MediaEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FileExists(BinDir() + "/tsm-discover") || !FileExists(BinDir() + "/dsmadmc")) {
      GTEST_SKIP() << "tsm-discover or the dsmadmc simulator is not built";
    }
    WriteFile(work_.file("dsmadmc"), ReadFile(BinDir() + "/dsmadmc"));
    ::chmod(work_.file("dsmadmc").c_str(), 0755);
    WriteFile(work_.file("password"), "Orbit7-Demo\n");
    UseSite(SourceDir() + "/samples/site");
  }
  void UseSite(const std::string& site) { WriteFile(work_.file("dsmadmc-sim.site"), site + "\n"); }

  // tsm-discover run --only clients,media, live or over the replay set;
  // the reply files in `out` from the second on (the client list first).
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

TEST_F(MediaEndToEnd, SampleSiteGivesFourRepliesInOrder) {
  const std::vector<std::string> r = Discover(out_);
  ASSERT_EQ(r.size(), 4u);
  const std::string lto = kLibs + "[field[@name='libraryName']='LTOLIB1']";
  const std::string rsm = kLibs + "[field[@name='libraryName']='RSMLIB']";
  const std::pair<std::string, std::string> cases[] = {
      {r[0].substr(out_.path().size()) + r[1].substr(out_.path().size()) + r[2].substr(out_.path().size()) +
           r[3].substr(out_.path().size()),
       "/000002-FDC.ForeignLibraries.xml/000003-FDC.ForeignMedias.xml/000004-FDC.ForeignMedias.xml"
       "/000005-FDC.StoragePolicyList.xml"},
      {Texts(r[0], kLibs + "/field[@name='libraryName']"),
       "TSM_" + h_ +
           "_DEFAULT_LIBRARY,/tsm/disk/backuppool01.dsm,/tsm/disk/backuppool02.dsm,"
           "/tsm/file/00000A1B.BFS,/tsm/file/00000A1C.BFS,LTOLIB1,RSMLIB"},
      {Texts(r[0], kLibs + "/field[@name='field13']"), "1,1,0,0,0,1,1"},
      {Texts(r[0], kLibs + Info(12)), "10240,10240,51200,2048"},
      {Texts(r[0], lto + Info(5)) + " " + Texts(r[0], rsm + Info(5)), "MXL0921A44 Unknown"},
      {Texts(r[0], lto + Info(17)) + " " + Texts(r[0], rsm + Info(17)), "1 2"},
      {Texts(r[0], lto + kDrives + Info(151)), "DRV01,DRV02,DRV03"},
      {Texts(r[0], lto + kDrives + Info(161)) + " " + Texts(r[0], lto + kDrives + Info(155)),
       "1,0,1 HU1234ABCD,HU1234ABCE,unknown"},
      {Texts(r[0], rsm + kDrives + Info(160)), "10001,1"},
      {Texts(r[1], kMedia + "/field[@name='mediaName']"),
       "/tsm/disk/backuppool01.dsm,/tsm/disk/backuppool02.dsm,/tsm/file/00000A1B.BFS,/tsm/file/00000A1C.BFS"},
      {Texts(r[2], kMedia + "/field[@name='libraryName']"),
       "LTOLIB1,LTOLIB1,LTOLIB1,LTOLIB1,RSMLIB,RSMLIB,RSMLIB"},
      {Texts(r[2], kMedia + "/field[@name='mediaName']"),
       "A00001L6,A00002L6,A00003L6,A00004L6,A00004L6,R00001,R00002"},
      {Texts(r[2], kMedia + Info(208)), "2500000.0,2500000.0,2500000.0,1843200.5,1843200.5,40960.0,40960.0"},
      {Texts(r[3], kPolicies + "/field[@name='storagePolicyName']"),
       "BACKUPPOOL,FILEPOOL,TapePool,COPYPOOL,RSMPOOL,TSM_" + h_ + "_Default_SP"},
      {Texts(r[3], kPolicies + "[3]/field[@name='copies']/message/field[@name='copyName']"),
       "LTOLIB1,RSMLIB"},
      {Texts(r[0], "/message/field[@name='requestName']") +
           Texts(r[1], "/message/field[@name='requestName']") +
           Texts(r[2], "/message/field[@name='requestName']") +
           Texts(r[3], "/message/field[@name='requestName']"),
       "tsm-discovertsm-discovertsm-discover"},
  };
  for (const auto& [found, expected] : cases) EXPECT_EQ(found, expected);
}

TEST_F(MediaEndToEnd, EmptySiteAndAPolicyQueryCutShort) {
  TempDir site;
  for (const std::string& table : ListDir(SourceDir() + "/samples/site")) {
    std::string content = ReadFile(SourceDir() + "/samples/site/" + table);
    if (table == "libraries.csv" || table == "drives.csv" || table == "volumes.csv" ||
        table == "libvolumes.csv")
      content = content.substr(0, content.find('\n') + 1);  // the column names only
    WriteFile(site.file(table), content);
  }
  UseSite(site.path());
  Discover(out_);
  EXPECT_EQ(Replies(out_.path()), " L:TSM_" + h_ + "_DEFAULT_LIBRARY M: M: P:TSM_" + h_ + "_Default_SP");

  // Four header lines and two rows, then a failure: the two rows count.
  const std::string gathered = ReadFile(SourceDir() + "/samples/replay/ixr_storagepolicy.txt");
  size_t cut = 0;
  for (int line = 0; line < 6; ++line) cut = gathered.find('\n', cut) + 1;
  UseSite(SourceDir() + "/samples/site");
  ScopedEnv match("DSMADMC_SIM_MATCH", "SELECT DISTINCT");
  ScopedEnv truncate("DSMADMC_SIM_TRUNCATE", std::to_string(cut).c_str());
  ScopedEnv exit("DSMADMC_SIM_EXIT", "3");
  TempDir out;
  const std::vector<std::string> r = Discover(out);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(Texts(r[3], kPolicies + "/field[@name='storagePolicyName']"),
            "BACKUPPOOL,FILEPOOL,TAPEPOOL,COPYPOOL,TSM_" + h_ + "_Default_SP");
}

TEST_F(MediaEndToEnd, ReplayGivesTheLiveReplies) {
  TempDir replayOut;
  const std::vector<std::string> live = Discover(out_);
  const std::vector<std::string> replay = Discover(replayOut, /*replay=*/true);
  ASSERT_EQ(live.size(), 4u);
  ASSERT_EQ(replay.size(), 4u);
  // Live the TSM server is this machine; the gathered set names it VEGA.
  auto asVega = [this](std::string text) {
    for (const std::string& from : {">" + h_ + "<", ">TSM_" + h_ + "<", ">TSM_" + h_ + "_"}) {
      std::string to = from;
      to.replace(to.find(h_), h_.size(), "VEGA");
      for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    }
    return text;
  };
  const std::string hostField = "name=\"hostName\" kind=\"string\">";
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(replay[i]);
    std::string expected = asVega(ReadFile(live[i]));
    std::string replayed = ReadFile(replay[i]);
    // The library hosts name this machine in both.
    for (std::string* text : {&expected, &replayed}) {
      for (size_t at = text->find(hostField); at != std::string::npos; at = text->find(hostField, at + 1))
        text->replace(at + hostField.size(), text->find('<', at + hostField.size()) - at - hostField.size(),
                      "H");
    }
    EXPECT_EQ(replayed, expected);
  }
}

}  // namespace
