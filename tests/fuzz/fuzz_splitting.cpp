// Every function of handler/Splitting.h against a character-by-character
// model of the plain rule written from its contract, and SplitLine into a
// vector that still holds the pieces of another text.
//
// Input: byte 0 = separator, byte 1 = quote (0: none), then the text.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "handler/Splitting.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;
using Pieces = std::vector<std::string>;

// The plain rule, one character at a time: a quote opens a quoted run
// only as a piece's first character; inside it a doubled quote is one
// quote and a single one closes it.
Pieces ModelSplit(const std::string& text, const std::string& separators, char quote) {
  Pieces pieces;
  if (text.empty()) return pieces;
  std::string piece;
  bool atStart = true;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != quote) {
        piece += c;
      } else if (i + 1 < text.size() && text[i + 1] == quote) {
        piece += quote;
        ++i;
      } else {
        quoted = false;
      }
    } else if (atStart && quote != 0 && c == quote) {
      quoted = true;
      atStart = false;
    } else if (separators.find(c) != std::string::npos) {
      pieces.push_back(piece);
      piece.clear();
      atStart = true;
    } else {
      piece += c;
      atStart = false;
    }
  }
  pieces.push_back(piece);
  return pieces;
}

Pieces WithoutEmpty(Pieces pieces) {
  pieces.erase(std::remove(pieces.begin(), pieces.end(), std::string()), pieces.end());
  return pieces;
}

// Calls a splitter that fills a vector, into a fresh one and into one
// holding the pieces of another text; both must give `expected`.
template <typename Split>
void CheckFilling(Split split, const std::string& text, const Pieces& expected, const char* what,
                  const std::string& input) {
  Pieces fresh;
  split(text, fresh);
  Check(fresh == expected, what, input);
  Pieces reused = {"left", "over", "from", "a longer text than this one", "", "x"};
  split(text, reused);
  Check(reused == expected, what, input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string input = fuzzsupport::AsString(data, size);
  const char separator = static_cast<char>(data[0]);
  const char quote = static_cast<char>(data[1]);
  const std::string text = input.substr(2);

  CheckFilling([&](const std::string& t, Pieces& p) { tsmsplit::SplitLine(t, separator, quote, p); }, text,
               ModelSplit(text, std::string(1, separator), quote), "SplitLine", input);
  CheckFilling(tsmsplit::SplitQueryLine, text, ModelSplit(text, ",", '"'), "SplitQueryLine", input);
  CheckFilling(tsmsplit::SplitSelectLine, text, ModelSplit(text, ",", 0), "SplitSelectLine", input);
  CheckFilling(tsmsplit::SplitStorageSelectLine, text, ModelSplit(text, ",", '"'), "SplitStorageSelectLine",
               input);
  CheckFilling(tsmsplit::SplitValueList, text, ModelSplit(text, ",", 0), "SplitValueList", input);

  const Pieces blankNames = WithoutEmpty(ModelSplit(text, " ", '"'));
  Check(tsmsplit::SplitScheduleObjects(text) == blankNames, "SplitScheduleObjects", input);
  Check(tsmsplit::SplitAssociationNodes(text) == blankNames, "SplitAssociationNodes", input);
  Check(tsmsplit::SplitNodeScheduleObjects(text) == WithoutEmpty(ModelSplit(text, " \t,", '"')),
        "SplitNodeScheduleObjects", input);
  Check(tsmsplit::SplitTimestamp(text) == ModelSplit(text, " ", 0), "SplitTimestamp", input);
  Check(tsmsplit::SplitDate(text, separator) == ModelSplit(text, std::string(1, separator), 0), "SplitDate",
        input);
  Check(tsmsplit::SplitTimeOfDay(text) == ModelSplit(text, ":", 0), "SplitTimeOfDay", input);
  return 0;
}
