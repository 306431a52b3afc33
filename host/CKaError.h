// Result of a host call that can fail (sending a message). A value type:
// copy freely. Code 0 with an empty text means success.
#pragma once

#include <string>

#include "host/ZyHostApi.h"

class ZYHOST_API CKaError {
 public:
  CKaError() = default;
  CKaError(int code, std::string text) : code_(code), text_(std::move(text)) {}

  bool IsError() const { return code_ != 0; }
  int GetErrorCode() const { return code_; }
  std::string AsString() const { return text_; }

 private:
  int code_ = 0;
  std::string text_;
};

// Decimal text of an integer.
class ZYHOST_API CKaString {
 public:
  explicit CKaString(int value) : text_(std::to_string(value)) {}
  explicit CKaString(long long value) : text_(std::to_string(value)) {}
  const std::string& str() const { return text_; }
  const char* c_str() const { return text_.c_str(); }
  operator const std::string&() const { return text_; }

 private:
  std::string text_;
};
