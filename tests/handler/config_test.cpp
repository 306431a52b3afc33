// Configuration discovery against a host channel, and the version probe.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "host/HostChannel.h"
#include "host/Messages.h"
#include "host/ZYPassword.h"
#include "host/ZyUtil.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/Guards.h"

namespace {

using testsupport::LogCapture;
using testsupport::TempDir;

// A process-wide password key for one test; no key afterwards.
struct ScopedKey {
  ScopedKey() { ZYPassword::SetKey(std::string(32, 'k')); }
  ~ScopedKey() { ZYPassword::SetKey(std::string()); }
  std::string Encrypt(const std::string& plain) {
    std::string encrypted;
    EXPECT_TRUE(ZYPassword().encrypt(plain, &encrypted));
    return encrypted;
  }
};

// Instance options whose int64 field ids are their index + 42.
FDC::ExternalNBUConfig FullAnswer(const std::string& encryptedPassword) {
  FDC::ExternalNBUConfig answer;
  for (int index = 16; index <= 19; ++index) answer.setint64(index, index + 42, index + 42);
  std::vector<unsigned long> list = {7, 8};
  answer.setlistulong(24, 75, &list);
  answer.setstring(25, 76, "seventy-six");
  answer.setstring(11, 41, "tsmadmin");
  if (!encryptedPassword.empty()) answer.setstring(12, 45, encryptedPassword);
  return answer;
}

// One DiscoverConfig run. Checks what every run does: true, the codes
// appended, the binary path cleared.
struct ConfigRun {
  RecordingHostChannel channel;
  FDC::ExternalNBUConfig config;
  std::string log;

  bool Logged(const std::string& text) const { return log.find(text) != std::string::npos; }
  void Discover(const std::vector<int>& codes = {1, 4, 3, 5, 2}) {
    LogCapture capture;
    CForeignHandlerTSM handler;
    channel.set_JobId(4711);
    handler.SetHostChannel(&channel);
    config.setstring(5, 17, "/opt/tsm/");
    config.setstring(12, 45, "before");
    EXPECT_TRUE(handler.DiscoverConfig(&config));
    log = capture.text();
    ASSERT_NE(nullptr, config.findField(20));
    EXPECT_EQ(codes, *config.findField(20)->ints());
    EXPECT_EQ("", config.getstring(5, 17));
  }
};

TEST(ConfigTest, AnswerWithPasswordIsCopiedDecryptedAndConfirmed) {
  ScopedKey key;
  const std::string encrypted = key.Encrypt("pa55word");
  ConfigRun run;
  run.channel.QueueAnswer(FullAnswer(encrypted));
  run.Discover();
  for (int index = 16; index <= 19; ++index) EXPECT_EQ(index + 42, run.config.getint64(index, index + 42));
  EXPECT_EQ((std::vector<unsigned long>{7, 8}), *run.config.findField(24)->ulongs());
  EXPECT_EQ("seventy-six", run.config.getstring(25, 76));
  EXPECT_EQ("tsmadmin", run.config.getstring(11, 41));
  EXPECT_EQ("pa55word", run.config.getstring(12, 45));
  const auto& sent = run.channel.sent();
  ASSERT_EQ(2u, sent.size());
  EXPECT_EQ(FDC::ExternalNBUConfig::Signature(), MessageSignature(sent[0]->group(), sent[0]->classId()));
  EXPECT_TRUE(sent[0]->fields().empty());
  const CNMessageBase& status = *sent[1];
  EXPECT_EQ(FDC::DiscoveryError::Signature(), MessageSignature(status.group(), status.classId()));
  EXPECT_EQ(std::make_tuple(0LL, std::string("No errors"), 4711LL, GetHostName(), 7LL),
            std::make_tuple(status.getint64(5, 8), status.getstring(6, 9), status.getint64(2, 2),
                            status.getstring(4, 4), status.getint64(3, 3)));
  EXPECT_GT(status.getint64(1, 1), 0);
  EXPECT_TRUE(run.Logged("Instance password property decrypted successfully."));
  EXPECT_FALSE(run.Logged("pa55word"));
  EXPECT_FALSE(run.Logged(encrypted));
}

// An answer without password and list, one whose password is no encrypted
// text, one with a tampered password: the password stays, no status is
// sent, the secret is not logged.
TEST(ConfigTest, NoStatusWithoutUsablePassword) {
  ScopedKey key;
  std::string tampered = key.Encrypt("pa55word");
  tampered[tampered.size() / 2] = tampered[tampered.size() / 2] == 'A' ? 'B' : 'A';
  for (const std::string& bad : {std::string(), std::string("not base64 at all!"), tampered}) {
    SCOPED_TRACE(bad);
    ConfigRun run;
    run.channel.QueueAnswer(bad.empty() ? FDC::ExternalNBUConfig() : FullAnswer(bad));
    run.config.setint64(16, 58, 99);
    run.Discover();
    EXPECT_EQ(1u, run.channel.sent().size());
    EXPECT_EQ("before", run.config.getstring(12, 45));
    EXPECT_TRUE(run.Logged("Instance property response received successfully."));
    EXPECT_EQ(!bad.empty(), run.Logged("encrypted password [****]."));
    EXPECT_FALSE(!bad.empty() && run.Logged(bad));
    EXPECT_EQ(bad.empty() ? 0 : 58, run.config.getint64(16, 58));
    EXPECT_EQ(!bad.empty(), run.config.isSet(11));
    EXPECT_TRUE(run.config.isSet(25));
    ASSERT_TRUE(run.config.isSet(24));
    EXPECT_EQ(bad.empty() ? 0u : 2u, run.config.findField(24)->ulongs()->size());
  }
}

// No options are copied when the exchange is off or no answer comes; codes
// already in the list are kept.
TEST(ConfigTest, ExchangeDisabledOrNoAnswer) {
  for (bool disabled : {true, false}) {
    SCOPED_TRACE(disabled ? "exchange disabled" : "no answer");
    ConfigRun run;
    run.channel.set_ExchangeDisabled(disabled);
    if (disabled) run.channel.QueueAnswer(FullAnswer(""));
    (*run.config.getlistint(20, 62, true))->push_back(9);
    run.Discover({9, 1, 4, 3, 5, 2});
    EXPECT_EQ(disabled ? 0u : 1u, run.channel.sent().size());
    EXPECT_FALSE(run.config.isSet(16));
    EXPECT_EQ(!disabled,
              run.Logged("Unable to recieve instance options request. FDC Manager not responded in "
                         "[60] seconds."));
  }
}

// The probe runs the version select and reads its output; a failed probe
// leaves the version unknown, also after a good one.
TEST(ConfigTest, VersionProbe) {
  const std::tuple<const char*, bool, int, int, const char*> cases[] = {
      {"8,1\n", true, 8, 1, "TSM Server version [8].[1]"},
      {"8\n", false, -1, -1, "Unexpected format of version string in ixr_tsmconfig.txt"},
      {"7,1,extra\r\nignored\n", true, 7, 1, "Running on TSM Version [7].[1]"},
      {"", false, -1, -1, "No lines found in ixr_tsmconfig.txt"},
  };
  TempDir dir;
  testsupport::ScopedChdir cd(dir.path());
  testsupport::ScopedExistingFiles live(false, "");
  CForeignHandlerTSM handler;
  for (const auto& [content, ok, version, release, logged] : cases) {
    SCOPED_TRACE(content);
    testsupport::FakeDsmadmc dsmadmc;
    dsmadmc.On("-outfile=ixr_tsmconfig.txt -comma SELECT VERSION, RELEASE FROM STATUS", content);
    LogCapture log;
    EXPECT_EQ(ok, handler.ProbeServerVersion(TSMAdminInfo(), dir.path()));
    EXPECT_EQ(1u, dsmadmc.commands().size());
    EXPECT_EQ(std::make_pair(version, release),
              std::make_pair(handler.get_tsmVersion(), handler.get_tsmRelease()));
    EXPECT_NE(std::string::npos, log.text().find(logged));
    EXPECT_EQ(ok,
              log.text().find("Failed to collect version information for TSM server") == std::string::npos);
  }
  // From existing files a missing file is no failure.
  TempDir empty;
  testsupport::ScopedExistingFiles gathered(true, empty.path() + "/");
  EXPECT_TRUE(handler.ProbeServerVersion(TSMAdminInfo(), empty.path()));
  EXPECT_EQ(-1, handler.get_tsmVersion());
}

}  // namespace
