#include "host/ZYPassword.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "host/AtomicFile.h"

namespace {

constexpr size_t kKeySize = 32;
constexpr size_t kNonceSize = 12;
constexpr size_t kTagSize = 16;

// A byte buffer that is wiped when it goes away: it holds keys and plain
// passwords.
class SecretBytes {
 public:
  explicit SecretBytes(size_t n = 0) : bytes_(n) {}
  ~SecretBytes() { Wipe(); }
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;
  void Assign(const unsigned char* data, size_t n) {
    Wipe();
    bytes_.assign(data, data + n);
  }
  void Wipe() {
    if (!bytes_.empty()) OPENSSL_cleanse(bytes_.data(), bytes_.size());
    bytes_.clear();
  }
  void Resize(size_t n) { bytes_.resize(n); }
  unsigned char* data() { return bytes_.data(); }
  const unsigned char* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }

 private:
  std::vector<unsigned char> bytes_;
};

struct KeyState {
  std::mutex mutex;
  SecretBytes key;
};

KeyState& State() {
  static KeyState* state = new KeyState();  // never destroyed: decryption may run at exit
  return *state;
}

bool CopyKey(SecretBytes* out) {
  KeyState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.key.size() != kKeySize) return false;
  out->Assign(state.key.data(), state.key.size());
  return true;
}

void StoreKey(const unsigned char* key, size_t n) {
  KeyState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (n == kKeySize) {
    state.key.Assign(key, n);
  } else {
    state.key.Wipe();
  }
}

struct CipherCtxDeleter {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxDeleter>;

std::string Base64Encode(const std::vector<unsigned char>& bytes) {
  std::vector<unsigned char> out(4 * ((bytes.size() + 2) / 3) + 1);
  int n = EVP_EncodeBlock(out.data(), bytes.data(), static_cast<int>(bytes.size()));
  return std::string(reinterpret_cast<const char*>(out.data()), static_cast<size_t>(n));
}

bool IsBase64Char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// Strict base64: whole quanta, padding only at the end. EVP_DecodeBlock
// counts padding as zero bytes, so the padding is taken off its result.
bool Base64Decode(const std::string& text, std::vector<unsigned char>* bytes) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return false;
  size_t end = text.find_last_not_of(" \t\r\n") + 1;
  std::string body = text.substr(begin, end - begin);
  if (body.size() % 4 != 0) return false;
  size_t padding = 0;
  while (padding < 2 && padding < body.size() && body[body.size() - 1 - padding] == '=') ++padding;
  for (size_t i = 0; i < body.size() - padding; ++i) {
    if (!IsBase64Char(body[i])) return false;
  }
  bytes->assign(body.size() / 4 * 3 + 1, 0);
  int n = EVP_DecodeBlock(bytes->data(), reinterpret_cast<const unsigned char*>(body.data()),
                          static_cast<int>(body.size()));
  if (n < 0 || static_cast<size_t>(n) < padding) return false;
  bytes->resize(static_cast<size_t>(n) - padding);
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 32 raw bytes, or 64 hex digits with optional surrounding white space.
bool ParseKeyFile(const std::string& content, SecretBytes* key) {
  if (content.size() == kKeySize) {
    key->Assign(reinterpret_cast<const unsigned char*>(content.data()), kKeySize);
    return true;
  }
  size_t begin = content.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return false;
  size_t end = content.find_last_not_of(" \t\r\n") + 1;
  if (end - begin != 2 * kKeySize) return false;
  key->Resize(kKeySize);
  for (size_t i = 0; i < kKeySize; ++i) {
    int hi = HexValue(content[begin + 2 * i]);
    int lo = HexValue(content[begin + 2 * i + 1]);
    if (hi < 0 || lo < 0) {
      key->Wipe();
      return false;
    }
    key->data()[i] = static_cast<unsigned char>(hi * 16 + lo);
  }
  return true;
}

// Decrypts nonce|cipher|tag into `plain`; false when the tag does not
// match (wrong key or altered text).
bool OpenSealed(const SecretBytes& key, const std::vector<unsigned char>& sealed, SecretBytes* plain,
                bool* cryptoFailure) {
  *cryptoFailure = true;
  const unsigned char* nonce = sealed.data();
  const unsigned char* cipher = sealed.data() + kNonceSize;
  size_t cipherSize = sealed.size() - kNonceSize - kTagSize;
  std::vector<unsigned char> tag(sealed.end() - kTagSize, sealed.end());
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) != 1 ||
      EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce) != 1) {
    return false;
  }
  plain->Resize(cipherSize + 1);  // never zero-sized, so data() is valid
  int n = 0;
  if (EVP_DecryptUpdate(ctx.get(), plain->data(), &n, cipher, static_cast<int>(cipherSize)) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) != 1) {
    return false;
  }
  *cryptoFailure = false;
  int tail = 0;
  if (EVP_DecryptFinal_ex(ctx.get(), plain->data() + n, &tail) != 1) return false;
  plain->Resize(static_cast<size_t>(n + tail));
  return true;
}

}  // namespace

int ZYPassword::decrypt(const char* encrypted, char* out, unsigned long* length) {
  lastError_ = kOk;
  if (encrypted == nullptr || length == nullptr) {
    lastError_ = kBadInput;
    return 0;
  }
  SecretBytes key;
  if (!CopyKey(&key)) {
    lastError_ = kNoKey;
    return 0;
  }
  std::vector<unsigned char> sealed;
  if (!Base64Decode(encrypted, &sealed) || sealed.size() < kNonceSize + kTagSize) {
    lastError_ = kBadInput;
    return 0;
  }
  SecretBytes plain;
  bool cryptoFailure = false;
  if (!OpenSealed(key, sealed, &plain, &cryptoFailure)) {
    lastError_ = cryptoFailure ? kCryptoFailure : kAuthFailed;
    return 0;
  }
  if (out != nullptr) {
    // *length is the room in `out`: never write past it.
    if (*length < plain.size()) {
      lastError_ = kBadInput;
      return 0;
    }
    if (plain.size() > 0) std::memcpy(out, plain.data(), plain.size());
  }
  *length = plain.size();
  return 1;
}

bool ZYPassword::encrypt(const std::string& plain, std::string* encrypted) {
  lastError_ = kOk;
  if (encrypted == nullptr) {
    lastError_ = kBadInput;
    return false;
  }
  SecretBytes key;
  if (!CopyKey(&key)) {
    lastError_ = kNoKey;
    return false;
  }
  std::vector<unsigned char> sealed(kNonceSize + plain.size() + kTagSize + 16);
  unsigned char* nonce = sealed.data();
  unsigned char* cipher = sealed.data() + kNonceSize;
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  int n = 0;
  int tail = 0;
  bool ok = ctx && RAND_bytes(nonce, kNonceSize) == 1 &&
            EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1 &&
            EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce) == 1 &&
            EVP_EncryptUpdate(ctx.get(), cipher, &n, reinterpret_cast<const unsigned char*>(plain.data()),
                              static_cast<int>(plain.size())) == 1 &&
            EVP_EncryptFinal_ex(ctx.get(), cipher + n, &tail) == 1 &&
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, cipher + n + tail) == 1;
  if (!ok) {
    lastError_ = kCryptoFailure;
    return false;
  }
  sealed.resize(kNonceSize + static_cast<size_t>(n + tail) + kTagSize);
  *encrypted = Base64Encode(sealed);
  return true;
}

bool ZYPassword::SetKeyFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  std::string text = content.str();
  SecretBytes key;
  bool ok = ParseKeyFile(text, &key);
  OPENSSL_cleanse(&text[0], text.size());
  if (!ok) return false;
  StoreKey(key.data(), key.size());
  return true;
}

void ZYPassword::SetKey(const std::string& rawKey32) {
  StoreKey(reinterpret_cast<const unsigned char*>(rawKey32.data()), rawKey32.size());
}

bool ZYPassword::GenerateKeyFile(const std::string& path) {
  unsigned char key[kKeySize];
  if (RAND_bytes(key, sizeof(key)) != 1) return false;
  std::string data(reinterpret_cast<const char*>(key), sizeof(key));
  OPENSSL_cleanse(key, sizeof(key));
  bool ok = zyhost::WriteFileAtomically(path, data, 0600);
  OPENSSL_cleanse(&data[0], data.size());
  return ok;
}
