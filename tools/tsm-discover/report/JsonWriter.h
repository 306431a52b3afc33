// A streaming JSON writer: values go straight to the stream, nothing is
// kept but one flag per open object or array. The caller pairs Begin and
// End calls and gives a Key before each value inside an object; the
// writer places the commas. Strings are written as valid UTF-8: a byte
// that does not start a well-formed sequence is taken as Latin-1 (as the
// hand-over format writes text that is not UTF-8) and escaped as \u00XX.
// A failing stream is the caller's to check.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tsmreport {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(const char* key);

  void String(const std::string& value);
  void Number(long long value);
  void Bool(bool value);
  void Null();

  // Key and value in one call.
  template <class T>
  void Field(const char* key, const T& value) {
    Key(key);
    Value(value);
  }
  void StringArray(const char* key, const std::vector<std::string>& items);

 private:
  void Value(const std::string& v) { String(v); }
  void Value(const char* v) { String(v); }
  void Value(long long v) { Number(v); }
  void Value(long v) { Number(v); }
  void Value(int v) { Number(v); }
  void Value(unsigned long v) { Number(static_cast<long long>(v)); }
  void Value(bool v) { Bool(v); }
  void BeforeValue();
  void Close(char bracket);

  std::ostream& out_;
  std::vector<bool> first_;  // one per open container: no element yet
  bool afterKey_ = false;
};

// `text` as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace tsmreport
