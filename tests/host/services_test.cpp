#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "host/ZYPassword.h"
#include "host/ZYPlatformInfo.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

class ScopedRegistryFile {
 public:
  explicit ScopedRegistryFile(const std::string& path) : old_(ZYPlatformInfo::RegistryFile()) {
    ZYPlatformInfo::SetRegistryFile(path);
  }
  ~ScopedRegistryFile() { ZYPlatformInfo::SetRegistryFile(old_); }

 private:
  std::string old_;
};

// The key is process-wide and cannot be read back: tests start and end
// without one.
class ScopedKey {
 public:
  explicit ScopedKey(const std::string& raw) { ZYPassword::SetKey(raw); }
  ~ScopedKey() { ZYPassword::SetKey(""); }
};

TEST(RegistryTest, LooksUpIniValues) {
  TempDir dir;
  WriteFile(dir.file("reg.ini"),
            "\xEF\xBB\xBF# host registry\r\n"
            "[Other]\n"
            "IXRDiscovery_TSMOUTPUTPATH = /wrong\n"
            "[ eventmanager ]\r\n"
            "; comment = no\n"
            "  ixrdiscovery_tsmoutputpath =  /var/tsm/out/  \r\n"
            "Root=/\n"
            "Empty =\n"
            "Url = a=b;c#d\n"
            "Root=/second\n");
  ScopedRegistryFile scoped(dir.file("reg.ini"));
  ZYPlatformInfo info;
  info.setFocus(ZYPI_Focus::getFocus());
  struct Case {
    const char* section;
    const char* key;
    bool found;
    const char* value;
    const char* directory;
  } cases[] = {
      {"EventManager", "IXRDiscovery_TSMOUTPUTPATH", true, "/var/tsm/out/", "/var/tsm/out"},
      {"EventManager", "Root", true, "/", "/"},
      {"EventManager", "Empty", true, "", ""},
      {"EventManager", "Url", true, "a=b;c#d", "a=b;c#d"},
      {"EventManager", "comment", false, "", ""},
      {"EventManager", "Missing", false, "", ""},
      {"Nowhere", "Root", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    std::string value = "stale";
    EXPECT_EQ(info.getString(c.section, c.key, &value), c.found);
    EXPECT_EQ(value, c.value);
    value = "stale";
    EXPECT_EQ(info.getDirectory(c.section, c.key, &value), c.found);
    EXPECT_EQ(value, c.directory);
  }
}

TEST(RegistryTest, NoFileMeansNoValues) {
  TempDir dir;
  for (const std::string& path : {std::string(), dir.file("absent.ini")}) {
    ScopedRegistryFile scoped(path);
    std::string value = "stale";
    EXPECT_FALSE(ZYPlatformInfo().getString("EventManager", "IXRDiscovery_TSMOUTPUTPATH", &value));
    EXPECT_EQ(value, "");
  }
}

// Decrypts the way the handler does: length first, then the text.
bool Decrypt(const std::string& encrypted, std::string* plain, int* error) {
  ZYPassword password;
  unsigned long length = 0;
  if (password.decrypt(encrypted.c_str(), nullptr, &length) != 1) {
    *error = password.getLastError();
    return false;
  }
  std::vector<char> buffer(length + 1, '\0');
  if (password.decrypt(encrypted.c_str(), buffer.data(), &length) != 1) {
    *error = password.getLastError();
    return false;
  }
  plain->assign(buffer.data(), length);
  *error = password.getLastError();
  return true;
}

const std::string kKey(32, 'k');

TEST(PasswordTest, RoundTrip) {
  ScopedKey key(kKey);
  // Lengths 0 to 3 give every base64 padding.
  const std::string plains[] = {
      "", "a", "ab", "abc", "s3cr3t!", "p\xC3\xA4ss w=rd", std::string("nul\0in", 6), std::string(1000, 'x')};
  for (const std::string& plain : plains) {
    SCOPED_TRACE(plain.size());
    std::string encrypted;
    ZYPassword password;
    ASSERT_TRUE(password.encrypt(plain, &encrypted));
    EXPECT_EQ(encrypted.find(plain.size() > 2 ? plain : std::string("\x01")), std::string::npos);
    std::string back;
    int error = -1;
    ASSERT_TRUE(Decrypt(encrypted, &back, &error)) << "error " << error;
    EXPECT_EQ(back, plain);
    EXPECT_EQ(error, ZYPassword::kOk);
    std::string again;
    ASSERT_TRUE(password.encrypt(plain, &again));
    EXPECT_NE(again, encrypted) << "every encryption uses a fresh nonce";
  }
}

TEST(PasswordTest, Failures) {
  std::string encrypted;
  {
    ScopedKey key(kKey);
    ASSERT_TRUE(ZYPassword().encrypt("secret", &encrypted));
  }
  std::string plain;
  int error = -1;
  EXPECT_FALSE(Decrypt(encrypted, &plain, &error));
  EXPECT_EQ(error, ZYPassword::kNoKey);
  EXPECT_FALSE(ZYPassword().encrypt("x", &plain));

  {
    ScopedKey other(std::string(32, 'o'));
    EXPECT_FALSE(Decrypt(encrypted, &plain, &error));
    EXPECT_EQ(error, ZYPassword::kAuthFailed);
  }

  ScopedKey key(kKey);
  // Altered nonce, cipher text and tag.
  for (size_t pos : {size_t{2}, size_t{17}, encrypted.size() - 6}) {
    SCOPED_TRACE(pos);
    std::string tampered = encrypted;
    tampered[pos] = tampered[pos] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(Decrypt(tampered, &plain, &error));
    EXPECT_EQ(error, ZYPassword::kAuthFailed);
  }
  const std::string malformed[] = {"", "not base64!", encrypted.substr(0, encrypted.size() - 1), "QUJD",
                                   encrypted + "===="};
  for (const std::string& text : malformed) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(Decrypt(text, &plain, &error));
    EXPECT_EQ(error, ZYPassword::kBadInput);
  }
  EXPECT_TRUE(Decrypt(" " + encrypted + "\n", &plain, &error)) << "surrounding white space is ignored";

  ZYPassword password;
  unsigned long length = 0;
  EXPECT_EQ(password.decrypt(nullptr, nullptr, &length), 0);
  EXPECT_EQ(password.decrypt(encrypted.c_str(), nullptr, nullptr), 0);
}

TEST(PasswordTest, NeverWritesPastTheRoomGiven) {
  ScopedKey key(kKey);
  std::string encrypted;
  ASSERT_TRUE(ZYPassword().encrypt("secret", &encrypted));
  ZYPassword password;
  char buffer[8] = {'-', '-', '-', '-', '-', '-', '-', '-'};
  unsigned long length = 5;
  EXPECT_EQ(password.decrypt(encrypted.c_str(), buffer, &length), 0);
  EXPECT_EQ(password.getLastError(), ZYPassword::kBadInput);
  EXPECT_EQ(std::string(buffer, 8), "--------");
  length = 6;
  EXPECT_EQ(password.decrypt(encrypted.c_str(), buffer, &length), 1);
  EXPECT_EQ(std::string(buffer, 8), "secret--");
}

TEST(PasswordTest, KeyFiles) {
  TempDir dir;
  std::string encrypted;
  {
    ScopedKey key(kKey);
    ASSERT_TRUE(ZYPassword().encrypt("secret", &encrypted));
  }
  std::string hex;
  for (char c : kKey) {
    static const char kDigits[] = "0123456789abcdef";
    hex += kDigits[(c >> 4) & 0xF];
    hex += kDigits[c & 0xF];
  }
  struct Case {
    const char* name;
    std::string content;
    bool valid;
  } cases[] = {
      {"raw", kKey, true},
      {"hex", hex + "\n", true},
      {"upper hex",
       "  " + std::string("6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B") + "\r\n", true},
      {"short hex", hex.substr(2), false},
      {"not hex", std::string(64, 'g'), false},
      {"too short", std::string(31, 'k'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedKey none("");
    WriteFile(dir.file("key"), c.content);
    EXPECT_EQ(ZYPassword::SetKeyFile(dir.file("key")), c.valid);
    std::string plain;
    int error = -1;
    EXPECT_EQ(Decrypt(encrypted, &plain, &error), c.valid) << "error " << error;
  }
  ScopedKey none("");
  EXPECT_FALSE(ZYPassword::SetKeyFile(dir.file("absent")));

  ASSERT_TRUE(ZYPassword::GenerateKeyFile(dir.file("generated")));
  struct stat st;
  ASSERT_EQ(::stat(dir.file("generated").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(dir.file("generated")).size(), 32u);
  ASSERT_TRUE(ZYPassword::SetKeyFile(dir.file("generated")));
  std::string fresh;
  ASSERT_TRUE(ZYPassword().encrypt("pw", &fresh));
  std::string plain;
  int error = -1;
  EXPECT_TRUE(Decrypt(fresh, &plain, &error));
  EXPECT_EQ(plain, "pw");
  EXPECT_FALSE(ZYPassword::GenerateKeyFile(dir.file("absent/key")));
}

}  // namespace
