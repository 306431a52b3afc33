#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <iterator>
#include <tuple>

#include "host/EvDebug.h"
#include "host/WorkFolderLock.h"
#include "host/ZYPassword.h"
#include "tests/host/fixtures/TestScripts.h"
#include "tests/support/Guards.h"

namespace {

using testscripts::Undo;
using testsupport::WriteFile;

// The key is process-wide and cannot be read back: tests start and end
// without one.
Undo UseKey(const std::string& raw) {
  ZYPassword::SetKey(raw);
  return {[] { ZYPassword::SetKey(""); }};
}

// Decrypts the way the handler does: length first, then the text.
bool Decrypt(const std::string& encrypted, std::string* plain, int* error) {
  ZYPassword password;
  unsigned long length = 0;
  bool ok = password.decrypt(encrypted.c_str(), nullptr, &length) == 1;
  std::vector<char> buffer(length + 1, '\0');
  ok = ok && password.decrypt(encrypted.c_str(), buffer.data(), &length) == 1;
  if (ok) plain->assign(buffer.data(), length);
  *error = password.getLastError();
  return ok;
}

const std::string kKey(32, 'k');

std::string Encrypt(const std::string& plain) {
  Undo key = UseKey(kKey);
  std::string encrypted;
  EXPECT_TRUE(ZYPassword().encrypt(plain, &encrypted));
  return encrypted;
}

TEST(PasswordTest, RoundTrip) {
  Undo key = UseKey(kKey);
  // Lengths 0 to 3 give every base64 padding.
  for (const std::string& plain : {std::string(), std::string("a"), std::string("ab"), std::string("abc"),
                                   std::string("p\xC3\xA4ss w=rd\0x", 12), std::string(1000, 'x')}) {
    SCOPED_TRACE(plain.size());
    std::string encrypted, again, back;
    ASSERT_TRUE(ZYPassword().encrypt(plain, &encrypted));
    int error = -1;
    ASSERT_TRUE(Decrypt(encrypted, &back, &error)) << "error " << error;
    EXPECT_EQ(back, plain);
    EXPECT_EQ(error, ZYPassword::kOk);
    ASSERT_TRUE(ZYPassword().encrypt(plain, &again));
    EXPECT_NE(again, encrypted) << "every encryption uses a fresh nonce";
  }
}

TEST(PasswordTest, NoKeyWrongKeyTamperingAndMalformedInputFail) {
  std::string encrypted = Encrypt("secret"), plain;
  std::string tampered = encrypted;
  char& inTag = tampered[tampered.size() - 6];
  inTag = inTag == 'A' ? 'B' : 'A';
  const std::tuple<std::string, std::string, int> cases[] = {
      {"", encrypted, ZYPassword::kNoKey},
      {std::string(32, 'o'), encrypted, ZYPassword::kAuthFailed},
      {kKey, tampered, ZYPassword::kAuthFailed},
      {kKey, "", ZYPassword::kBadInput},
      {kKey, encrypted.substr(0, encrypted.size() - 1), ZYPassword::kBadInput},
      {kKey, encrypted + "====", ZYPassword::kBadInput},
  };
  for (const auto& [key, text, expected] : cases) {
    SCOPED_TRACE(text);
    Undo scoped = UseKey(key);
    int error = -1;
    EXPECT_FALSE(Decrypt(text, &plain, &error));
    EXPECT_EQ(error, expected);
  }
  ZYPassword password;
  EXPECT_FALSE(password.encrypt("x", &plain)) << "no key";
  Undo key = UseKey(kKey);
  // Never writes past the room given.
  char buffer[9] = "--------";
  unsigned long length = 5;
  EXPECT_EQ(password.decrypt(encrypted.c_str(), buffer, &length), 0);
  EXPECT_EQ(password.getLastError(), ZYPassword::kBadInput);
  EXPECT_STREQ(buffer, "--------");
  length = 6;
  EXPECT_EQ(password.decrypt(encrypted.c_str(), buffer, &length), 1);
  EXPECT_STREQ(buffer, "secret--");
}

TEST(PasswordTest, KeyFiles) {
  testsupport::TempDir dir;
  std::string encrypted = Encrypt("secret"), plain;
  Undo none = UseKey("");
  WriteFile(dir.file("key"), "  6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B\r\n");
  EXPECT_TRUE(ZYPassword::SetKeyFile(dir.file("key"))) << "kKey in hex";
  int error = -1;
  EXPECT_TRUE(Decrypt(encrypted, &plain, &error)) << "error " << error;
  WriteFile(dir.file("key"), std::string(31, 'k'));
  EXPECT_FALSE(ZYPassword::SetKeyFile(dir.file("key")));
  EXPECT_FALSE(ZYPassword::GenerateKeyFile(dir.file("absent/key")));
  ASSERT_TRUE(ZYPassword::GenerateKeyFile(dir.file("generated")));
  struct stat st;
  ASSERT_EQ(::stat(dir.file("generated").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(testsupport::ReadFile(dir.file("generated")).size(), 32u);
  EXPECT_TRUE(ZYPassword::SetKeyFile(dir.file("generated")));
}

// The log and the working folder's lock file are opened by fixed names in
// folders others may write: a link there (dangling or not), a folder or a
// pipe is refused and nothing is created or written through it.
TEST(FixedNameTest, LogAndLockRefuseLinksAndOtherFiles) {
  testsupport::TempDir dir;
  testsupport::ScopedChdir cd(dir.path());
  WriteFile(dir.file("victim"), "keep");
  const std::string log = dir.file("log");
  const std::string lock = dir.file(WorkFolderLock::kFileName);
  const std::function<void(const std::string&)> plants[] = {
      [&](const std::string& at) { ::symlink(dir.file("victim").c_str(), at.c_str()); },
      [&](const std::string& at) { ::symlink(dir.file("absent").c_str(), at.c_str()); },
      [](const std::string& at) { ::mkdir(at.c_str(), 0755); },
      [](const std::string& at) { ::mkfifo(at.c_str(), 0644); },
  };
  const std::string saved = EvDebug::LogFile();
  for (size_t i = 0; i < std::size(plants); ++i) {
    SCOPED_TRACE(i);
    for (const std::string& at : {log, lock}) {
      ::unlink(at.c_str());
      ::rmdir(at.c_str());
      plants[i](at);
    }
    EXPECT_FALSE(EvDebug::SetLogFile(log));
    std::string error;
    EXPECT_FALSE(WorkFolderLock().Acquire(0, &error));
    EXPECT_NE(error.find("is a link or not a regular file"), std::string::npos) << error;
    EXPECT_EQ(testsupport::ReadFile(dir.file("victim")), "keep");
    EXPECT_FALSE(testsupport::FileExists(dir.file("absent")));
  }
  EXPECT_TRUE(EvDebug::SetLogFile("/dev/null"));  // a log asked to be dropped
  EvDebug::SetLogFile(saved);
}

}  // namespace
