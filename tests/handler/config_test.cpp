// Configuration discovery against a fake host channel, and the version
// probe's parser.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "handler/CForeignHandlerTSMConfig.h"
#include "host/HostChannel.h"
#include "host/Messages.h"
#include "host/ZYPassword.h"
#include "host/ZyUtil.h"
#include "tests/handler/HandlerTestGuards.h"

namespace {

using handlertest::ScopedExistingFiles;
using testsupport::LogCapture;
using testsupport::ScopedChdir;
using testsupport::TempDir;
using testsupport::WriteFile;

constexpr long long kJobId = 4711;

class FakeChannel : public HostChannel {
 public:
  CKaError Send(const CNMessageBase& message, int) override {
    sent.push_back(message.Clone());
    return sendError;
  }
  std::unique_ptr<CNMessageBase> Receive(unsigned long signature, int) override {
    receivedSignature = signature;
    return answer != nullptr ? answer->Clone() : nullptr;
  }
  long long JobId() const override { return kJobId; }
  bool ExchangeDisabled() const override { return disabled; }

  std::vector<std::unique_ptr<CNMessageBase>> sent;
  std::unique_ptr<CNMessageBase> answer;
  CKaError sendError;
  unsigned long receivedSignature = 0;
  bool disabled = false;
};

// A process-wide password key for one test; no key afterwards.
class ScopedKey {
 public:
  ScopedKey() { ZYPassword::SetKey(std::string(32, 'k')); }
  ~ScopedKey() { ZYPassword::SetKey(std::string()); }
};

std::string Encrypt(const std::string& plain) {
  std::string encrypted;
  EXPECT_TRUE(ZYPassword().encrypt(plain, &encrypted));
  return encrypted;
}

std::unique_ptr<FDC::ExternalNBUConfig> FullAnswer(const std::string& encryptedPassword) {
  auto answer = std::make_unique<FDC::ExternalNBUConfig>();
  answer->setint64(16, 58, 58);
  answer->setint64(17, 59, 59);
  answer->setint64(18, 60, 60);
  answer->setint64(19, 61, 61);
  std::vector<unsigned long> list = {7, 8};
  answer->setlistulong(24, 75, &list);
  answer->setstring(25, 76, "seventy-six");
  answer->setstring(11, 41, "tsmadmin");
  if (!encryptedPassword.empty()) answer->setstring(12, 45, encryptedPassword);
  return answer;
}

struct ConfigRun {
  FakeChannel channel;
  FDC::ExternalNBUConfig config;
  std::string log;
  bool result = false;
};

void RunDiscoverConfig(ConfigRun* run) {
  LogCapture capture;
  CForeignHandlerTSM handler;
  handler.SetHostChannel(&run->channel);
  run->config.setstring(5, 17, "/opt/tsm/");
  run->config.setstring(12, 45, "before");
  run->result = handler.DiscoverConfig(&run->config);
  run->log = capture.text();
}

void ExpectCodesAndClearedPath(const ConfigRun& run) {
  EXPECT_TRUE(run.result);
  const CNMessageBase::Field* codes = run.config.findField(20);
  ASSERT_NE(nullptr, codes);
  ASSERT_NE(nullptr, codes->ints);
  EXPECT_EQ((std::vector<int>{1, 4, 3, 5, 2}), *codes->ints);
  EXPECT_TRUE(run.config.isSet(5));
  EXPECT_EQ("", run.config.getstring(5, 17));
}

TEST(ConfigTest, AnswerWithPasswordIsCopiedDecryptedAndConfirmed) {
  ScopedKey key;
  const std::string encrypted = Encrypt("pa55word");
  ConfigRun run;
  run.channel.answer = FullAnswer(encrypted);
  RunDiscoverConfig(&run);

  ExpectCodesAndClearedPath(run);
  EXPECT_EQ(FDC::ExternalNBUConfig::Signature(), run.channel.receivedSignature);
  EXPECT_EQ(58, run.config.getint64(16, 58));
  EXPECT_EQ(59, run.config.getint64(17, 59));
  EXPECT_EQ(60, run.config.getint64(18, 60));
  EXPECT_EQ(61, run.config.getint64(19, 61));
  EXPECT_EQ((std::vector<unsigned long>{7, 8}), *run.config.findField(24)->ulongs);
  EXPECT_EQ("seventy-six", run.config.getstring(25, 76));
  EXPECT_EQ("tsmadmin", run.config.getstring(11, 41));
  EXPECT_EQ("pa55word", run.config.getstring(12, 45));

  ASSERT_EQ(2u, run.channel.sent.size());
  const CNMessageBase& request = *run.channel.sent[0];
  EXPECT_EQ(32, request.group());
  EXPECT_EQ(74, request.classId());
  EXPECT_TRUE(request.fields().empty());
  const CNMessageBase& status = *run.channel.sent[1];
  EXPECT_EQ(32, status.group());
  EXPECT_EQ(56, status.classId());
  EXPECT_EQ(0, status.getint64(5, 8));
  EXPECT_EQ("No errors", status.getstring(6, 9));
  EXPECT_EQ(kJobId, status.getint64(2, 2));
  EXPECT_EQ(GetHostName(), status.getstring(4, 4));
  EXPECT_EQ(7, status.getint64(3, 3));
  EXPECT_GT(status.getint64(1, 1), 0);

  EXPECT_NE(std::string::npos, run.log.find("Instance password property decrypted successfully."));
  EXPECT_EQ(std::string::npos, run.log.find("pa55word"));
  EXPECT_EQ(std::string::npos, run.log.find(encrypted));
}

TEST(ConfigTest, AnswerWithoutPasswordOrListKeepsPasswordAndSendsNoStatus) {
  ConfigRun run;
  run.channel.answer = std::make_unique<FDC::ExternalNBUConfig>();
  run.config.setint64(16, 58, 99);
  RunDiscoverConfig(&run);

  ExpectCodesAndClearedPath(run);
  EXPECT_EQ("before", run.config.getstring(12, 45));
  EXPECT_EQ(0, run.config.getint64(16, 58));
  ASSERT_TRUE(run.config.isSet(24));
  EXPECT_TRUE(run.config.findField(24)->ulongs->empty());
  EXPECT_TRUE(run.config.isSet(25));
  EXPECT_EQ("", run.config.getstring(25, 76));
  EXPECT_FALSE(run.config.isSet(11));
  EXPECT_EQ(1u, run.channel.sent.size());
  EXPECT_NE(std::string::npos, run.log.find("Instance property response received successfully."));
}

TEST(ConfigTest, DecryptFailureSendsNoStatusAndHidesSecret) {
  ScopedKey key;
  const std::string encrypted = Encrypt("pa55word");
  std::string tampered = encrypted;
  tampered[tampered.size() / 2] = tampered[tampered.size() / 2] == 'A' ? 'B' : 'A';
  for (const std::string& bad : {std::string("not base64 at all!"), tampered}) {
    SCOPED_TRACE(bad);
    ConfigRun run;
    run.channel.answer = FullAnswer(bad);
    RunDiscoverConfig(&run);
    ExpectCodesAndClearedPath(run);
    EXPECT_EQ(1u, run.channel.sent.size());
    EXPECT_EQ("before", run.config.getstring(12, 45));
    EXPECT_EQ("tsmadmin", run.config.getstring(11, 41));
    EXPECT_NE(std::string::npos, run.log.find("encrypted password [****]."));
    EXPECT_EQ(std::string::npos, run.log.find(bad));
  }
}

TEST(ConfigTest, ExchangeFailures) {
  {
    SCOPED_TRACE("exchange disabled");
    ConfigRun run;
    run.channel.disabled = true;
    run.channel.answer = FullAnswer("");
    RunDiscoverConfig(&run);
    ExpectCodesAndClearedPath(run);
    EXPECT_TRUE(run.channel.sent.empty());
    EXPECT_EQ(0u, run.channel.receivedSignature);
    EXPECT_FALSE(run.config.isSet(16));
  }
  {
    SCOPED_TRACE("send fails");
    ConfigRun run;
    run.channel.sendError = CKaError(5, "link down");
    run.channel.answer = FullAnswer("");
    RunDiscoverConfig(&run);
    ExpectCodesAndClearedPath(run);
    EXPECT_EQ(0u, run.channel.receivedSignature);
    EXPECT_FALSE(run.config.isSet(16));
    EXPECT_NE(std::string::npos,
              run.log.find("Unable to send instance options request. Error [5]-[link down]"));
  }
  {
    SCOPED_TRACE("no answer");
    ConfigRun run;
    RunDiscoverConfig(&run);
    ExpectCodesAndClearedPath(run);
    EXPECT_EQ(1u, run.channel.sent.size());
    EXPECT_NE(std::string::npos, run.log.find("Unable to recieve instance options request. FDC Manager not "
                                              "responded in [60] seconds."));
  }
}

TEST(ConfigTest, CodesAreAppendedToExistingList) {
  ConfigRun run;
  run.channel.disabled = true;
  std::vector<int>* codes = *run.config.getlistint(20, 62, true);
  codes->push_back(9);
  RunDiscoverConfig(&run);
  EXPECT_EQ((std::vector<int>{9, 1, 4, 3, 5, 2}), *run.config.findField(20)->ints);
}

TEST(ConfigTest, VersionFile) {
  struct Case {
    const char* content;
    bool ok;
    int version;
    int release;
    const char* logged;
  };
  const Case cases[] = {
      {"8,1\n", true, 8, 1, "TSM Server version [8].[1]"},
      {"7,1,extra\r\nignored\n", true, 7, 1, "TSM Server version [7].[1]"},
      {"8\n", false, -1, -1, "Unexpected format of version string in ixr_tsmconfig.txt"},
      {"", false, -1, -1, "No lines found in ixr_tsmconfig.txt"},
  };
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    WriteFile(dir.file("ixr_tsmconfig.txt"), c.content);
    LogCapture log;
    CTSMConfigFetcher fetcher;
    TSMVersionInfo info;
    EXPECT_EQ(c.ok, fetcher._ParseData(&info, "ignored-without-existing-files"));
    EXPECT_EQ(c.version, info.version);
    EXPECT_EQ(c.release, info.release);
    EXPECT_NE(std::string::npos, log.text().find(c.logged));
  }
}

TEST(ConfigTest, VersionProbeFromExistingFiles) {
  TempDir dir;
  ScopedExistingFiles gathered(true, dir.path() + "/");
  CForeignHandlerTSM handler;
  TSMAdminInfo admin;
  admin.SetLogin("admin");
  admin.SetPassword("secret");

  // A missing file under existing files leaves the version unknown.
  EXPECT_TRUE(handler.ProbeServerVersion(admin, dir.path()));
  EXPECT_EQ(-1, handler.get_tsmVersion());

  WriteFile(dir.file("ixr_tsmconfig.txt"), "8,1\n");
  {
    LogCapture log;
    EXPECT_TRUE(handler.ProbeServerVersion(admin, dir.path()));
    EXPECT_NE(std::string::npos, log.text().find("Running on TSM Version [8].[1]"));
  }
  EXPECT_EQ(8, handler.get_tsmVersion());
  EXPECT_EQ(1, handler.get_tsmRelease());

  WriteFile(dir.file("ixr_tsmconfig.txt"), "garbage\n");
  LogCapture log;
  EXPECT_FALSE(handler.ProbeServerVersion(admin, dir.path()));
  EXPECT_EQ(-1, handler.get_tsmVersion());
  EXPECT_EQ(-1, handler.get_tsmRelease());
  EXPECT_NE(std::string::npos, log.text().find("Failed to collect version information for TSM server"));
}

}  // namespace
