#include "tools/tsm-discover/report/JsonWriter.h"

#include <cstdio>
#include <ostream>

namespace tsmreport {
namespace {

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none
// (overlong forms, surrogates and values past U+10FFFF are not well formed).
size_t Utf8Length(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(i);
  size_t n = c < 0x80                 ? 1
             : c >= 0xC2 && c <= 0xDF ? 2
             : c >= 0xE0 && c <= 0xEF ? 3
             : c >= 0xF0 && c <= 0xF4 ? 4
                                      : 0;
  if (n == 0 || i + n > text.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  const unsigned char c1 = n > 1 ? byte(i + 1) : 0;
  if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) ||
      (c == 0xF4 && c1 >= 0x90))
    return 0;
  return n;
}

void Escaped(std::string* out, unsigned code) {
  char buf[8];
  std::snprintf(buf, sizeof(buf), "\\u%04x", code);
  *out += buf;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t n = Utf8Length(text, i);
    if (n == 0) {
      Escaped(&out, c);  // Latin-1
      ++i;
      continue;
    }
    if (n > 1) {
      out.append(text, i, n);
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7f) {
      Escaped(&out, c);
    } else {
      out += static_cast<char>(c);
    }
    i += n;
  }
  return out + "\"";
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (first_.empty()) return;
  if (!first_.back()) out_ << (first_.size() <= 2 ? ",\n" : ",");
  first_.back() = false;
}

void JsonWriter::Key(const char* key) {
  BeforeValue();
  out_ << JsonString(key) << ':';
  afterKey_ = true;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  out_ << '{';
  first_.push_back(true);
}

void JsonWriter::BeginArray() {
  BeforeValue();
  out_ << '[';
  first_.push_back(true);
}

void JsonWriter::Close(char bracket) {
  if (!first_.empty()) first_.pop_back();
  out_ << bracket;
  if (first_.empty()) out_ << '\n';
}

void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::String(const std::string& value) {
  BeforeValue();
  out_ << JsonString(value);
}

void JsonWriter::Number(long long value) {
  BeforeValue();
  out_ << value;
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ << (value ? "true" : "false");
}

void JsonWriter::Null() {
  BeforeValue();
  out_ << "null";
}

void JsonWriter::StringArray(const char* key, const std::vector<std::string>& items) {
  Key(key);
  BeginArray();
  for (const std::string& item : items) String(item);
  EndArray();
}

}  // namespace tsmreport
