#include "tests/fuzz/MessageTrees.h"

#include <vector>

namespace fuzztrees {

namespace {

constexpr int kMaxDepth = 4;
constexpr int kKnownGroups[] = {12, 18, 30, 32};

std::unique_ptr<CNMessageBase> DrawMessageAt(FuzzedDataProvider& in, int depth);

int DrawTypeNumber(FuzzedDataProvider& in, bool group) {
  if (!in.ConsumeBool()) return in.ConsumeIntegral<int>();
  return group ? in.PickValueInArray(kKnownGroups) : in.ConsumeIntegralInRange(0, 200);
}

void DrawField(FuzzedDataProvider& in, int depth, CNMessageBase* message) {
  const int index = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 40) : in.ConsumeIntegral<int>();
  const int id = in.ConsumeIntegral<int>();
  if (message->isSet(index)) return;  // an index is unique inside a message
  switch (in.ConsumeIntegralInRange(0, depth < kMaxDepth ? 5 : 3)) {
    case 0:
      message->setstring(index, id, in.ConsumeRandomLengthString(2000));
      break;
    case 1:
      message->setint64(index, id, in.ConsumeIntegral<long long>());
      break;
    case 2: {
      std::vector<int>* items = *message->getlistint(index, id, true);
      for (int n = in.ConsumeIntegralInRange(0, 5); n > 0; --n) items->push_back(in.ConsumeIntegral<int>());
      break;
    }
    case 3: {
      std::vector<unsigned long> items;
      for (int n = in.ConsumeIntegralInRange(0, 5); n > 0; --n) {
        items.push_back(in.ConsumeIntegral<unsigned long>());
      }
      message->setlistulong(index, id, &items);
      break;
    }
    case 4: {
      CNMessageList* list = *message->getlistobject(index, id, true);
      for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n) {
        list->Append(*DrawMessageAt(in, depth + 1));
      }
      break;
    }
    default:
      message->setObjectAccessor(DrawMessageAt(in, depth + 1).get(), index, id);
      break;
  }
}

std::unique_ptr<CNMessageBase> DrawMessageAt(FuzzedDataProvider& in, int depth) {
  const int group = DrawTypeNumber(in, true);
  auto message = std::make_unique<CNMessageBase>(group, DrawTypeNumber(in, false));
  for (int n = in.ConsumeIntegralInRange(0, 6); n > 0 && in.remaining_bytes() > 0; --n) {
    DrawField(in, depth, message.get());
  }
  return message;
}

// Code point and length of the XML character at text[i], or length 0.
size_t DecodeXmlChar(const std::string& text, size_t i, unsigned* cp) {
  const unsigned lead = static_cast<unsigned char>(text[i]);
  size_t length;
  if (lead < 0x80) {
    *cp = lead;
    return 1;
  } else if (lead >= 0xC0 && lead < 0xE0) {
    length = 2, *cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    length = 3, *cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead < 0xF8) {
    length = 4, *cp = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    *cp = (*cp << 6) | (next & 0x3F);
  }
  static const unsigned kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (*cp < kShortest[length] || *cp > 0x10FFFF) return 0;
  if ((*cp >= 0xD800 && *cp <= 0xDFFF) || *cp == 0xFFFE || *cp == 0xFFFF) return 0;
  return length;
}

void AppendUtf8(unsigned cp, std::string* out) {
  static const unsigned kLead[] = {0, 0xC0, 0xE0, 0xF0};
  const int more = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
  *out += static_cast<char>(kLead[more] | (cp >> (6 * more)));
  for (int k = more - 1; k >= 0; --k) *out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

std::string Where(const std::string& path, const CNMessageBase::Field& field) {
  return path + "/field " + std::to_string(field.index);
}

template <typename T>
bool SameItems(const std::vector<T>* a, const std::vector<T>* b) {
  static const std::vector<T> kNone;
  return (a != nullptr ? *a : kNone) == (b != nullptr ? *b : kNone);
}

std::string MessageDifference(const CNMessageBase& expected, const CNMessageBase& actual, bool handedOver,
                              const std::string& path);

std::string FieldDifference(const CNMessageBase::Field& e, const CNMessageBase::Field& a, bool handedOver,
                            const std::string& path) {
  if (e.id != a.id || e.kind != a.kind) return Where(path, e) + ": id or kind";
  switch (e.kind) {
    case FieldKind::kString:
      return (handedOver ? HandOverText(e.text) : e.text) == a.text ? "" : Where(path, e) + ": text";
    case FieldKind::kInt64:
      return e.number == a.number ? "" : Where(path, e) + ": number";
    case FieldKind::kIntList:
      return SameItems(e.ints(), a.ints()) ? "" : Where(path, e) + ": int items";
    case FieldKind::kULongList:
      return SameItems(e.ulongs(), a.ulongs()) ? "" : Where(path, e) + ": ulong items";
    case FieldKind::kObject:
      if (e.object() == nullptr || a.object() == nullptr) return Where(path, e) + ": no object";
      return MessageDifference(*e.object(), *a.object(), handedOver, Where(path, e));
    case FieldKind::kList: {
      const size_t n = e.list() != nullptr ? e.list()->size() : 0;
      if (n != (a.list() != nullptr ? a.list()->size() : 0)) return Where(path, e) + ": list size";
      for (size_t i = 0; i < n; ++i) {
        std::string d = MessageDifference(*e.list()->at(i), *a.list()->at(i), handedOver,
                                          Where(path, e) + "[" + std::to_string(i) + "]");
        if (!d.empty()) return d;
      }
      return "";
    }
  }
  return Where(path, e) + ": unknown kind";
}

std::string MessageDifference(const CNMessageBase& expected, const CNMessageBase& actual, bool handedOver,
                              const std::string& path) {
  if (expected.group() != actual.group() || expected.classId() != actual.classId()) return path + ": type";
  if (expected.fields().size() != actual.fields().size()) return path + ": field count";
  auto a = actual.fields().begin();
  for (const auto& field : expected.fields()) {
    if (a->index != field.index) return Where(path, field) + ": missing";
    std::string d = FieldDifference(field, *a, handedOver, path);
    if (!d.empty()) return d;
    ++a;
  }
  return "";
}

}  // namespace

std::unique_ptr<CNMessageBase> DrawMessage(FuzzedDataProvider& in) { return DrawMessageAt(in, 0); }

std::string HandOverText(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned cp = 0;
    size_t length = DecodeXmlChar(text, i, &cp);
    if (length == 0) cp = static_cast<unsigned char>(text[i]), length = 1;
    if (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') cp += 0x2400;
    AppendUtf8(cp, &out);
    i += length;
  }
  return out;
}

std::string Difference(const CNMessageBase& expected, const CNMessageBase& actual, bool handedOver) {
  return MessageDifference(expected, actual, handedOver, "message");
}

}  // namespace fuzztrees
