// The password cipher (ZYPassword): any plain text comes back from
// encrypt and decrypt; any text as an encrypted password, and any bytes
// as a key file, are handled without harm. A key file that is refused
// leaves the key in use as it was.
//
// Input: byte 0 picks the use of the rest: 0 plain text, 1 encrypted
// text, 2 key file content.
#include <cstdint>
#include <string>
#include <vector>

#include "host/ZYPassword.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

const std::string kKey(32, 'k');

// Decrypts with the length query first, into a buffer of exactly that
// size with guard bytes behind it; false when decrypt refuses.
bool Decrypt(const std::string& encrypted, std::string* plain, const std::string& input) {
  ZYPassword cipher;
  unsigned long length = 0;
  if (cipher.decrypt(encrypted.c_str(), nullptr, &length) != 1) return false;
  std::vector<char> buffer(length + 8, '#');
  unsigned long room = length;
  Check(cipher.decrypt(encrypted.c_str(), buffer.data(), &room) == 1 && room == length, "decrypt", input);
  Check(std::string(buffer.data() + length, 8) == "########", "decrypt writes past its room", input);
  if (length > 0) {
    unsigned long tooSmall = length - 1;
    Check(cipher.decrypt(encrypted.c_str(), buffer.data(), &tooSmall) == 0, "too little room is refused",
          input);
  }
  plain->assign(buffer.data(), length);
  return true;
}

void CheckRoundTrip(const std::string& plain, const std::string& input) {
  ZYPassword cipher;
  std::string encrypted;
  Check(cipher.encrypt(plain, &encrypted), "encrypt", input);
  std::string back;
  Check(Decrypt(encrypted, &back, input) && back == plain, "decrypt gives the plain text back", input);
}

void CheckKeyFile(const std::string& content, const std::string& input) {
  ZYPassword cipher;
  std::string before;
  Check(cipher.encrypt("before", &before), "encrypt", input);
  if (ZYPassword::SetKeyFile(fuzzsupport::WriteScratchFile("key", content))) {
    CheckRoundTrip("after", input);
  } else {
    std::string plain;
    Check(Decrypt(before, &plain, input) && plain == "before", "a refused key file keeps the key", input);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  if (size < 1) return 0;
  ZYPassword::SetKey(kKey);
  const std::string input = fuzzsupport::AsString(data, size);
  const std::string rest = input.substr(1);
  switch (data[0] % 3) {
    case 0:
      CheckRoundTrip(rest, input);
      break;
    case 1: {
      std::string plain;
      if (Decrypt(rest, &plain, input)) CheckRoundTrip(plain, input);
      break;
    }
    default:
      CheckKeyFile(rest, input);
      break;
  }
  return 0;
}
