#include "tools/tsm-discover/ReplayManifest.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <sstream>

#include "tools/tsm-discover/FileUtil.h"

namespace tsmdiscover {
namespace {

constexpr const char kHeader[] = "tsm-discover replay set";

bool IsSetFile(const std::string& name) { return name.rfind("ixr_", 0) == 0; }

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

// "... Administrative Interface - Version 8, Release 1, Level 12.0": the
// text after the dash, from the first banner among the first lines.
std::string ClientLevel(const std::string& dir, const std::vector<std::string>& names) {
  static const std::string kMark = "Administrative Interface - ";
  for (const std::string& name : names) {
    std::string head;
    if (!ReadFileStart(WithSlash(dir) + name, 4096, &head)) continue;
    size_t at = head.find(kMark);
    if (at != std::string::npos) return FirstLine(head.substr(at + kMark.size()));
  }
  return "unknown";
}

std::string UtcNow() {
  time_t now = time(nullptr);
  struct tm utc;
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

long long FileSize(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

}  // namespace

std::string FileSha256(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return "";
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  bool ok = ctx != nullptr && EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) == 1;
  std::vector<char> buf(1 << 20);
  for (ssize_t n; ok && (n = ::read(fd, buf.data(), buf.size())) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0 && EVP_DigestUpdate(ctx.get(), buf.data(), static_cast<size_t>(n)) == 1;
  }
  ::close(fd);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!ok || EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) return "";
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

bool WriteManifest(const std::string& dir, ManifestInfo info, std::string* error) {
  std::vector<std::string> names;
  for (const std::string& name : ListDirectory(dir)) {
    if (IsSetFile(name)) names.push_back(name);
  }
  std::string server;
  ReadFileStart(WithSlash(dir) + "ixr_server.txt", 1024, &server);
  std::ostringstream text;
  text << kHeader << "\nstatus " << (info.complete ? "complete" : "incomplete") << "\nserver "
       << FirstLine(server) << "\nclient-level " << ClientLevel(dir, names) << "\ngathered "
       << (info.gatheredAt.empty() ? UtcNow() : info.gatheredAt) << "\n";
  for (const std::string& name : names) {
    const std::string path = WithSlash(dir) + name;
    const std::string sum = FileSha256(path);
    if (sum.empty()) {
      *error = "cannot read " + path + " for the manifest";
      return false;
    }
    text << "file " << name << " " << FileSize(path) << " " << sum << "\n";
  }
  for (const std::string& what : info.missing) text << "missing " << what << "\n";
  if (!WriteWholeFile(WithSlash(dir) + kManifestName, text.str())) {
    *error = "cannot write " + WithSlash(dir) + kManifestName;
    return false;
  }
  return true;
}

ReplaySetCheck CheckReplaySet(const std::string& dir) {
  ReplaySetCheck check;
  const std::string path = WithSlash(dir) + kManifestName;
  std::string text;
  if (FileSize(path) < 0 || !ReadWholeFile(path, &text)) return check;
  check.hasManifest = true;
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kHeader) {
    check.problems.push_back(std::string(kManifestName) + " is not a replay set manifest");
    return check;
  }
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string key, name;
    words >> key;
    if (key == "status" && line != "status complete") check.problems.push_back("marked incomplete by gather");
    if (key == "missing") check.problems.push_back(line.substr(8) + " missing (gather failed)");
    if (key != "file") continue;
    long long size = -1;
    std::string sum;
    words >> name >> size >> sum;
    const std::string file = WithSlash(dir) + name;
    const long long actual = name.find('/') == std::string::npos ? FileSize(file) : -1;
    if (actual < 0) {
      check.problems.push_back(name + " missing");
    } else if (actual != size || FileSha256(file) != sum) {
      check.problems.push_back(name + " differs from the manifest");
    }
  }
  return check;
}

}  // namespace tsmdiscover
