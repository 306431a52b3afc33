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
  // *length must give the room in `out` (at least the plain length, as
  // the first call returned it): writes the plain text (no terminator
  // added) and sets *length; too little room fails with kBadInput and
  // writes nothing. Returns 1 on success, 0 on failure (getLastError()
  // tells why: kNoKey, kBadInput for text that is no encrypted password,
  // kAuthFailed for a wrong key or altered text).
  int decrypt(const char* encrypted, char* out, unsigned long* length);
  // The host side: encrypted text of `plain`; false on failure.
  bool encrypt(const std::string& plain, std::string* encrypted);
  int getLastError() const { return lastError_; }

  enum Error { kOk = 0, kNoKey = 1, kBadInput = 2, kAuthFailed = 3, kCryptoFailure = 4 };

  // Key file: 32 raw bytes, or 64 hex digits. False when unreadable or
  // malformed; the key in use then stays as it was.
  static bool SetKeyFile(const std::string& path);
  // A key of any other size than 32 bytes removes the key.
  static void SetKey(const std::string& rawKey32);
  // Writes a fresh random key to `path` (mode 0600).
  static bool GenerateKeyFile(const std::string& path);

 private:
  int lastError_ = 0;
};
