// Message trees for the hand-over format harnesses: a tree drawn from the
// input, the text a string field reads back as, and a comparison.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>

#include "host/CNMessageBase.h"

namespace fuzztrees {

// A tree of up to four levels with any type pairs (the schema's groups
// often), any indexes and ids, every field kind, and strings of any bytes.
// The caller turns the schema checks off: the fields are not the schema's.
std::unique_ptr<CNMessageBase> DrawMessage(FuzzedDataProvider& in);

// `text` as a hand-over file carries it (host/HandOver.h), written here
// from the contract rather than from the writer: each valid UTF-8 XML
// character unchanged, every other byte as its Latin-1 code point, and
// the control bytes XML cannot hold as control pictures U+2400 + byte.
std::string HandOverText(const std::string& text);

// Empty when `actual` equals `expected`, else where they first differ.
// With `handedOver`, the strings of `expected` are compared as
// HandOverText gives them. A list field that is absent equals an empty one.
std::string Difference(const CNMessageBase& expected, const CNMessageBase& actual, bool handedOver);

}  // namespace fuzztrees
