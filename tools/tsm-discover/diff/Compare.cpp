#include <map>

#include "tools/tsm-discover/diff/Changes.h"

namespace tsmdiff {
namespace {

// Items by (kind's place in kKinds, key): the output order.
using Index = std::map<std::pair<size_t, std::string>, const Item*>;

size_t KindRank(const std::string& kind) {
  size_t rank = 0;
  for (const char* k : kKinds) {
    if (kind == k) break;
    ++rank;
  }
  return rank;
}

Index IndexOf(const std::vector<Item>& items) {
  Index index;
  for (const Item& item : items) index[{KindRank(item.kind), item.key}] = &item;
  return index;
}

std::string ValueOf(const Fields& fields, const std::string& name, bool* found) {
  for (const auto& [field, value] : fields) {
    if (field == name) {
      *found = true;
      return value;
    }
  }
  *found = false;
  return "";
}

// A changed item's fields: those of `after` in order, then those only
// `before` has.
void CompareFields(const Item& before, const Item& after, std::vector<Change>* changes) {
  for (const auto& [field, value] : after.fields) {
    bool found = false;
    const std::string old = ValueOf(before.fields, field, &found);
    if (!found || old != value)
      changes->push_back({ChangeType::kChanged, after.kind, after.key, field, found ? old : "", value, {}});
  }
  for (const auto& [field, value] : before.fields) {
    bool found = false;
    ValueOf(after.fields, field, &found);
    if (!found) changes->push_back({ChangeType::kChanged, after.kind, after.key, field, value, "", {}});
  }
}

}  // namespace

std::vector<Change> Compare(const std::vector<Item>& before, const std::vector<Item>& after) {
  const Index old = IndexOf(before);
  const Index now = IndexOf(after);
  std::map<std::pair<size_t, std::string>, std::pair<const Item*, const Item*>> both;
  for (const auto& [key, item] : old) both[key].first = item;
  for (const auto& [key, item] : now) both[key].second = item;
  std::vector<Change> changes;
  for (const auto& [key, pair] : both) {
    const auto& [was, is] = pair;
    if (was == nullptr) {
      changes.push_back({ChangeType::kAdded, is->kind, is->key, "", "", "", is->fields});
    } else if (is == nullptr) {
      changes.push_back({ChangeType::kRemoved, was->kind, was->key, "", "", "", was->fields});
    } else {
      CompareFields(*was, *is, &changes);
    }
  }
  return changes;
}

}  // namespace tsmdiff
