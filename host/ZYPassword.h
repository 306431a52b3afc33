// Password encryption shared by the host and the handler: AES-256-GCM with
// a random 96-bit nonce; the encrypted text is base64 of nonce, cipher
// text and tag. The key (32 bytes) comes from a key file the host names,
// process-wide.
#pragma once

#include <string>

#include "host/ZyHostApi.h"

class ZYHOST_API ZYPassword {
 public:
  // With out null, only stores the plain length in *length. With out set,
  // writes the plain text (no terminator added) and sets *length. Returns
  // 1 on success, 0 on failure (getLastError() tells why).
  int decrypt(const char* encrypted, char* out, unsigned long* length);
  // The host side: encrypted text of `plain`; false on failure.
  bool encrypt(const std::string& plain, std::string* encrypted);
  int getLastError() const { return lastError_; }

  enum Error { kOk = 0, kNoKey = 1, kBadInput = 2, kAuthFailed = 3, kCryptoFailure = 4 };

  // Key file: 32 raw bytes, or 64 hex digits. False when unreadable.
  static bool SetKeyFile(const std::string& path);
  static void SetKey(const std::string& rawKey32);
  // Writes a fresh random key to `path` (mode 0600).
  static bool GenerateKeyFile(const std::string& path);

 private:
  int lastError_ = 0;
};
