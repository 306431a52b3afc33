#include "tools/tsm-discover/verify/CheckSupport.h"

#include <algorithm>
#include <cctype>

namespace tsmverify {

void AddItem(CheckItem item, TakeoverCheck* check) {
  auto it = std::find_if(check->counts.begin(), check->counts.end(),
                         [&](const auto& kc) { return kc.first == item.kind; });
  if (it == check->counts.end()) it = check->counts.insert(check->counts.end(), {item.kind, KindCount()});
  KindCount& c = it->second;
  c.inTsm += item.count;
  c.handedOver += item.handedCount;
  if (item.handedCount < item.count) c.leftOutByReason[item.reason] += item.count - item.handedCount;
  if (item.runs == Runs::kSame) ++check->same;
  if (item.runs == Runs::kDiffers) ++check->differs;
  if (item.runs == Runs::kCannotCheck) ++check->cannotCheck;
  check->items.push_back(std::move(item));
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool SameNoCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::string RefusedNameReason(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return "an empty or dot name";
  if (name.find_first_of(" \t") != std::string::npos) return "it holds a blank";
  if (name.find_first_of("\"'") != std::string::npos) return "it holds a quote";
  if (name.find('/') != std::string::npos) return "it holds a /";
  return "";
}

}  // namespace tsmverify
