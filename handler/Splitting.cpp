#include "handler/Splitting.h"

#include <algorithm>

namespace tsmsplit {
namespace {

constexpr char kDoubleQuote = '"';
constexpr char kComma = ',';
constexpr char kBlank = ' ';
// Separators of the per-node objects column.
constexpr char kNodeObjectSeparators[] = {' ', '\t', ','};

// The characters that end a piece: one, or a set.
struct Separators {
  const char* chars;
  size_t count;

  size_t FindIn(const std::string& text, size_t from) const {
    return count == 1 ? text.find(chars[0], from) : text.find_first_of(chars, from, count);
  }
};

// The next piece to fill: a string already in `pieces` (its storage is
// reused) or a new one.
std::string& NextPiece(std::vector<std::string>& pieces, size_t& used) {
  if (used == pieces.size()) {
    pieces.emplace_back();
  } else {
    pieces[used].clear();
  }
  return pieces[used++];
}

// Appends the quoted run that starts after the opening quote at `from` to
// `piece`, a doubled quote as one; returns the position after the closing
// quote, or the end of the text when it is not closed.
size_t AppendQuotedRun(const std::string& text, size_t from, char quote, std::string& piece) {
  for (;;) {
    const size_t close = text.find(quote, from);
    if (close == std::string::npos) {
      piece.append(text, from, std::string::npos);
      return text.size();
    }
    piece.append(text, from, close - from);
    if (close + 1 >= text.size() || text[close + 1] != quote) return close + 1;
    piece += quote;
    from = close + 2;
  }
}

// AppendQuotedRun without the copy: the position after the run.
size_t SkipQuotedRun(const std::string& text, size_t from, char quote) {
  for (;;) {
    const size_t close = text.find(quote, from);
    if (close == std::string::npos) return text.size();
    if (close + 1 >= text.size() || text[close + 1] != quote) return close + 1;
    from = close + 2;
  }
}

// The plain rule at any of `separators`, the first `keep` pieces kept;
// each run between separators and quotes is copied in one step. Returns
// the number of pieces.
size_t Cut(const std::string& text, Separators separators, char quote, std::vector<std::string>& pieces,
           size_t keep = static_cast<size_t>(-1)) {
  size_t used = 0;
  size_t count = 0;
  for (size_t pos = 0; !text.empty(); ++count) {
    std::string* piece = count < keep ? &NextPiece(pieces, used) : nullptr;
    if (quote != 0 && pos < text.size() && text[pos] == quote) {
      pos = piece != nullptr ? AppendQuotedRun(text, pos + 1, quote, *piece)
                             : SkipQuotedRun(text, pos + 1, quote);
    }
    size_t end = separators.FindIn(text, pos);
    if (end == std::string::npos) end = text.size();
    if (piece != nullptr) piece->append(text, pos, end - pos);
    if (end == text.size()) {
      ++count;
      break;
    }
    pos = end + 1;
  }
  pieces.resize(used);
  return count;
}

// A blank-separated name list: the plain rule without its empty pieces.
std::vector<std::string> NamesAt(const std::string& column, Separators separators) {
  std::vector<std::string> names;
  Cut(column, separators, kDoubleQuote, names);
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& s) { return s.empty(); }),
              names.end());
  return names;
}

std::vector<std::string> PlainPieces(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  SplitLine(text, separator, 0, pieces);
  return pieces;
}

}  // namespace

void SplitLine(const std::string& text, char separator, char quote, std::vector<std::string>& pieces) {
  Cut(text, Separators{&separator, 1}, quote, pieces);
}

size_t SplitLineBounded(const std::string& text, char separator, char quote, size_t keep,
                        std::vector<std::string>& pieces) {
  return Cut(text, Separators{&separator, 1}, quote, pieces, keep);
}

void SplitQueryLine(const std::string& line, std::vector<std::string>& fields) {
  SplitLine(line, kComma, kDoubleQuote, fields);
}

void SplitSelectLine(const std::string& line, std::vector<std::string>& fields) {
  SplitLine(line, kComma, 0, fields);
}

void SplitStorageSelectLine(const std::string& line, std::vector<std::string>& fields) {
  SplitLine(line, kComma, kDoubleQuote, fields);
}

void SplitValueList(const std::string& column, std::vector<std::string>& items) {
  SplitLine(column, kComma, 0, items);
}

std::vector<std::string> SplitScheduleObjects(const std::string& column) {
  return NamesAt(column, Separators{&kBlank, 1});
}

std::vector<std::string> SplitAssociationNodes(const std::string& column) {
  return NamesAt(column, Separators{&kBlank, 1});
}

std::vector<std::string> SplitNodeScheduleObjects(const std::string& column) {
  return NamesAt(column, Separators{kNodeObjectSeparators, sizeof(kNodeObjectSeparators)});
}

std::vector<std::string> SplitTimestamp(const std::string& text) { return PlainPieces(text, kBlank); }

std::vector<std::string> SplitDate(const std::string& date, char separator) {
  return PlainPieces(date, separator);
}

std::vector<std::string> SplitTimeOfDay(const std::string& time) { return PlainPieces(time, ':'); }

}  // namespace tsmsplit
