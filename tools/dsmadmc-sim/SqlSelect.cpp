#include "tools/dsmadmc-sim/SqlSelect.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "tools/dsmadmc-sim/TextMatch.h"

namespace dsmsim {
namespace {

struct Token {
  enum Kind { kWord, kString, kPunct, kEnd } kind = kEnd;
  std::string text;
};

const char* const kKeywords[] = {"SELECT", "DISTINCT", "FROM", "WHERE", "AND", "OR",  "NOT",
                                 "LIKE",   "ESCAPE",   "IN",   "ORDER", "BY",  "ASC", "DESC"};

bool IsNumber(const std::string& word) {
  size_t digits = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      ++digits;
    } else if (!((c == '-' || c == '+') && i == 0) && c != '.') {
      return false;
    }
  }
  return digits > 0;
}

bool IsKeyword(const std::string& word) {
  std::string upper = Upper(word);
  for (const char* k : kKeywords) {
    if (upper == k) return true;
  }
  return false;
}

// Splits the statement into words, 'strings' ('' inside stands for ') and
// punctuation. False on an unterminated string.
bool Lex(const std::string& text, std::vector<Token>* tokens) {
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '\'') {
      Token t{Token::kString, ""};
      ++i;
      bool closed = false;
      while (i < text.size()) {
        if (text[i] == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
          t.text += '\'';
          i += 2;
        } else if (text[i] == '\'') {
          ++i;
          closed = true;
          break;
        } else {
          t.text += text[i++];
        }
      }
      if (!closed) return false;
      tokens->push_back(t);
    } else if (c == ',' || c == '(' || c == ')' || c == '=') {
      tokens->push_back({Token::kPunct, std::string(1, c)});
      ++i;
    } else if (c == '<' || c == '>' || c == '!') {
      std::string op(1, c);
      if (i + 1 < text.size() && (text[i + 1] == '=' || (c == '<' && text[i + 1] == '>'))) op += text[i + 1];
      tokens->push_back({Token::kPunct, op});
      i += op.size();
    } else {
      Token t{Token::kWord, ""};
      while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
             std::string(",()=<>!'").find(text[i]) == std::string::npos) {
        t.text += text[i++];
      }
      tokens->push_back(t);
    }
  }
  tokens->push_back({Token::kEnd, ""});
  return true;
}

struct Operand {
  bool isString = false;
  std::string text;
};

struct RawCondition {
  Operand left;
  std::string op;  // = <> != < > <= >= LIKE IN
  bool negate = false;
  std::vector<Operand> right;
  Operand escape;
  bool hasEscape = false;
};

struct Source {
  Table table;        // rows loaded by Evaluate(), filtered by the source's own conditions
  std::string alias;  // upper case
};

// A resolved operand: a column of one source, or a literal.
struct Ref {
  int source = -1;
  int column = -1;
  std::string literal;
  std::string name;  // column name for the result header
};

struct Condition {
  Ref left;
  std::string op;
  bool negate = false;
  std::vector<Ref> right;
  char escape = 0;
  int level = 0;  // highest source index it reads
};

struct OrderKey {
  Ref ref;
  bool descending = false;
};

class SelectRunner {
 public:
  SelectRunner(Site& site, const std::string& text) : site_(site), text_(text) {}

  CommandOutcome Run(ResultSet* result) {
    if (!Lex(text_, &tokens_)) return Fail("ANR2906E Unexpected SQL literal token - '''.");
    if (!Parse()) return Fail(error_);
    if (!Resolve()) return Fail(error_);
    Evaluate(result);
    CommandOutcome outcome;
    if (result->rows.empty()) {
      outcome.status = kStatusNotFound;
      outcome.messages.push_back("ANR2034E SELECT: No match found using this criteria.");
    }
    return outcome;
  }

 private:
  CommandOutcome Fail(const std::string& message) {
    CommandOutcome outcome;
    outcome.status = kStatusSyntax;
    outcome.messages.push_back(message);
    return outcome;
  }

  const Token& Peek() const { return tokens_[pos_]; }
  Token Next() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
  bool AtWord(const char* word) const { return Peek().kind == Token::kWord && Upper(Peek().text) == word; }
  bool AtPunct(const char* p) const { return Peek().kind == Token::kPunct && Peek().text == p; }
  bool Unexpected() {
    const Token& t = Peek();
    error_ = t.kind == Token::kEnd ? "ANR2905E Unexpected SQL statement end."
                                   : "ANR2904E Unexpected SQL key word token - '" + t.text + "'.";
    return false;
  }

  bool Parse() {
    if (!AtWord("SELECT")) return Unexpected();
    Next();
    if (AtWord("DISTINCT")) {
      Next();
      distinct_ = true;
    }
    do {
      if (Peek().kind != Token::kWord || IsKeyword(Peek().text)) return Unexpected();
      items_.push_back(Next().text);
    } while (AtPunct(",") && (Next(), true));
    if (!AtWord("FROM")) return Unexpected();
    Next();
    do {
      if (Peek().kind != Token::kWord || IsKeyword(Peek().text)) return Unexpected();
      std::string table = Next().text;
      std::string alias = table;
      if (Peek().kind == Token::kWord && !IsKeyword(Peek().text)) alias = Next().text;
      rawSources_.push_back({table, Upper(alias)});
    } while (AtPunct(",") && (Next(), true));
    if (AtWord("WHERE")) {
      Next();
      do {
        RawCondition c;
        if (!ParseCondition(&c)) return false;
        rawConditions_.push_back(c);
      } while (AtWord("AND") && (Next(), true));
    }
    if (AtWord("ORDER")) {
      Next();
      if (!AtWord("BY")) return Unexpected();
      Next();
      do {
        if (Peek().kind != Token::kWord || IsKeyword(Peek().text)) return Unexpected();
        std::string column = Next().text;
        bool desc = false;
        if (AtWord("ASC") || AtWord("DESC")) desc = Upper(Next().text) == "DESC";
        rawOrder_.push_back({column, desc});
      } while (AtPunct(",") && (Next(), true));
    }
    if (Peek().kind != Token::kEnd) return Unexpected();
    return true;
  }

  bool ParseOperand(Operand* op) {
    const Token& t = Peek();
    if (t.kind == Token::kString || (t.kind == Token::kWord && !IsKeyword(t.text))) {
      op->isString = t.kind == Token::kString;
      op->text = Next().text;
      return true;
    }
    return Unexpected();
  }

  bool ParseCondition(RawCondition* c) {
    if (!ParseOperand(&c->left)) return false;
    if (AtWord("NOT")) {
      Next();
      c->negate = true;
      if (!AtWord("LIKE") && !AtWord("IN")) return Unexpected();
    }
    if (AtWord("LIKE")) {
      Next();
      c->op = "LIKE";
      c->right.emplace_back();
      if (!ParseOperand(&c->right.back())) return false;
      if (AtWord("ESCAPE")) {
        Next();
        if (!ParseOperand(&c->escape)) return false;
        if (c->escape.text.size() != 1) {
          error_ = "ANR2916E The ESCAPE character must be a single character.";
          return false;
        }
        c->hasEscape = true;
      }
      return true;
    }
    if (AtWord("IN")) {
      Next();
      c->op = "IN";
      if (!AtPunct("(")) return Unexpected();
      Next();
      do {
        c->right.emplace_back();
        if (!ParseOperand(&c->right.back())) return false;
      } while (AtPunct(",") && (Next(), true));
      if (!AtPunct(")")) return Unexpected();
      Next();
      return true;
    }
    static const std::set<std::string> kOps = {"=", "<>", "!=", "<", ">", "<=", ">="};
    if (Peek().kind != Token::kPunct || kOps.count(Peek().text) == 0) return Unexpected();
    c->op = Next().text;
    c->right.emplace_back();
    return ParseOperand(&c->right.back());
  }

  // Finds a column; `literalAllowed` lets a bare number stand as a
  // literal. Any other unknown word is an unknown column, as the server
  // says: text must come in single quotes.
  bool ResolveWord(const Operand& op, bool literalAllowed, Ref* ref) {
    if (op.isString) {
      ref->literal = op.text;
      return true;
    }
    std::string word = op.text;
    size_t dot = word.find('.');
    if (dot != std::string::npos && dot > 0) {
      std::string alias = Upper(word.substr(0, dot));
      std::string column = word.substr(dot + 1);
      for (size_t s = 0; s < sources_.size(); ++s) {
        if (sources_[s].alias != alias) continue;
        int c = sources_[s].table.Column(column);
        if (c >= 0) {
          *ref = Ref{static_cast<int>(s), c, "", Upper(column)};
          return true;
        }
      }
    } else {
      int found = 0;
      for (size_t s = 0; s < sources_.size(); ++s) {
        int c = sources_[s].table.Column(word);
        if (c < 0) continue;
        if (++found == 1) *ref = Ref{static_cast<int>(s), c, "", Upper(word)};
      }
      if (found > 1) {
        error_ = "ANR2941E The reference '" + word + "' is an ambiguous column name.";
        return false;
      }
      if (found == 1) return true;
    }
    if (literalAllowed && IsNumber(word)) {
      ref->literal = word;
      return true;
    }
    error_ = "ANR2940E The reference '" + word + "' is an unknown SQL column name.";
    return false;
  }

  bool Resolve() {
    for (const auto& raw : rawSources_) {
      Source source;
      source.alias = raw.second;
      if (!Site::IsSelectable(raw.first) || !site_.ReadColumns(raw.first, &source.table)) {
        error_ = "ANR2951E The table '" + Upper(raw.first) + "' is not defined.";
        return false;
      }
      sources_.push_back(std::move(source));
    }
    for (const std::string& item : items_) {
      size_t dot = item.find('.');
      bool star = item == "*" || (dot != std::string::npos && item.substr(dot + 1) == "*");
      if (!star) {
        Ref ref;
        if (!ResolveWord({false, item}, false, &ref)) return false;
        columns_.push_back(ref);
        continue;
      }
      std::string alias = item == "*" ? "" : Upper(item.substr(0, dot));
      bool any = false;
      for (size_t s = 0; s < sources_.size(); ++s) {
        if (!alias.empty() && sources_[s].alias != alias) continue;
        any = true;
        for (size_t c = 0; c < sources_[s].table.columns.size(); ++c) {
          columns_.push_back(
              Ref{static_cast<int>(s), static_cast<int>(c), "", Upper(sources_[s].table.columns[c])});
        }
      }
      if (!any) {
        error_ = "ANR2940E The reference '" + item + "' is an unknown SQL column name.";
        return false;
      }
    }
    for (const RawCondition& raw : rawConditions_) {
      Condition c;
      c.op = raw.op == "!=" ? "<>" : raw.op;
      c.negate = raw.negate;
      if (!ResolveWord(raw.left, true, &c.left)) return false;
      for (const Operand& r : raw.right) {
        c.right.emplace_back();
        if (!ResolveWord(r, true, &c.right.back())) return false;
      }
      if (raw.hasEscape) c.escape = raw.escape.text[0];
      c.level = std::max(0, c.left.source);
      for (const Ref& r : c.right) c.level = std::max(c.level, r.source);
      conditions_.push_back(c);
    }
    for (const auto& raw : rawOrder_) {
      OrderKey key;
      key.descending = raw.second;
      if (!ResolveWord({false, raw.first}, false, &key.ref)) return false;
      order_.push_back(key);
    }
    return true;
  }

  using Combo = std::vector<const Row*>;

  static const std::string& Value(const Ref& ref, const Combo& combo) {
    return ref.source < 0 ? ref.literal : (*combo[ref.source])[ref.column];
  }

  static int Compare(const std::string& a, const std::string& b) {
    double x = 0, y = 0;
    if (ParseNumber(a, &x) && ParseNumber(b, &y)) return x < y ? -1 : (x > y ? 1 : 0);
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  }

  static bool Holds(const Condition& c, const Combo& combo) {
    const std::string& left = Value(c.left, combo);
    bool result = false;
    if (c.op == "LIKE") {
      result = LikeMatch(left, Value(c.right[0], combo), c.escape);
    } else if (c.op == "IN") {
      for (const Ref& r : c.right) result = result || Compare(left, Value(r, combo)) == 0;
    } else {
      int cmp = Compare(left, Value(c.right[0], combo));
      result = (c.op == "=" && cmp == 0) || (c.op == "<>" && cmp != 0) || (c.op == "<" && cmp < 0) ||
               (c.op == ">" && cmp > 0) || (c.op == "<=" && cmp <= 0) || (c.op == ">=" && cmp >= 0);
    }
    return result != c.negate;
  }

  // An equality between a column of source `s` and something bound
  // earlier, usable as a hash lookup.
  const Condition* JoinKey(int s, const Ref** own, const Ref** other) const {
    for (const Condition& c : conditions_) {
      if (c.op != "=" || c.negate || c.level != s) continue;
      if (c.left.source == s && c.right[0].source != s) {
        *own = &c.left;
        *other = &c.right[0];
        return &c;
      }
      if (c.right[0].source == s && c.left.source != s) {
        *own = &c.right[0];
        *other = &c.left;
        return &c;
      }
    }
    return nullptr;
  }

  // True when `c` reads no source but `s` (and literals).
  static bool Local(const Condition& c, int s) {
    if (c.left.source >= 0 && c.left.source != s) return false;
    for (const Ref& r : c.right) {
      if (r.source >= 0 && r.source != s) return false;
    }
    return true;
  }

  // Reads each source's rows, keeping only those its own conditions
  // accept.
  void LoadRows() {
    for (size_t s = 0; s < sources_.size(); ++s) {
      int index = static_cast<int>(s);
      std::vector<const Condition*> local;
      for (const Condition& c : conditions_) {
        if (Local(c, index)) local.push_back(&c);
      }
      Combo probe(s + 1, nullptr);
      site_.ScanRows(
          sources_[s].table.name,
          [&](const Row& row) {
            probe[s] = &row;
            for (const Condition* c : local) {
              if (!Holds(*c, probe)) return false;
            }
            return true;
          },
          &sources_[s].table.rows);
    }
  }

  void Evaluate(ResultSet* result) {
    LoadRows();
    std::vector<Combo> combos(1);
    for (size_t s = 0; s < sources_.size(); ++s) {
      const Table& table = sources_[s].table;
      const Ref* own = nullptr;
      const Ref* other = nullptr;
      std::multimap<std::string, const Row*> index;
      bool indexed = JoinKey(static_cast<int>(s), &own, &other) != nullptr;
      if (indexed) {
        for (const Row& row : table.rows) index.emplace(row[own->column], &row);
      }
      std::vector<Combo> next;
      for (const Combo& combo : combos) {
        auto consider = [&](const Row* row) {
          Combo extended = combo;
          extended.push_back(row);
          for (const Condition& c : conditions_) {
            if (c.level == static_cast<int>(s) && !Holds(c, extended)) return;
          }
          next.push_back(std::move(extended));
        };
        if (indexed) {
          auto range = index.equal_range(Value(*other, combo));
          for (auto it = range.first; it != range.second; ++it) consider(it->second);
        } else {
          for (const Row& row : table.rows) consider(&row);
        }
      }
      combos.swap(next);
    }
    if (!order_.empty()) {
      std::stable_sort(combos.begin(), combos.end(), [this](const Combo& a, const Combo& b) {
        for (const OrderKey& key : order_) {
          int cmp = Compare(Value(key.ref, a), Value(key.ref, b));
          if (cmp != 0) return key.descending ? cmp > 0 : cmp < 0;
        }
        return false;
      });
    }
    for (const Ref& ref : columns_) result->columns.push_back(ref.name);
    std::set<Row> seen;
    for (const Combo& combo : combos) {
      Row row;
      for (const Ref& ref : columns_) row.push_back(SqlTimestamp(Value(ref, combo)));
      if (distinct_ && !seen.insert(row).second) continue;
      result->rows.push_back(std::move(row));
    }
  }

  Site& site_;
  std::string text_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  std::string error_;
  bool distinct_ = false;
  std::vector<std::string> items_;
  std::vector<std::pair<std::string, std::string>> rawSources_;
  std::vector<RawCondition> rawConditions_;
  std::vector<std::pair<std::string, bool>> rawOrder_;
  std::vector<Source> sources_;
  std::vector<Ref> columns_;
  std::vector<Condition> conditions_;
  std::vector<OrderKey> order_;
};

}  // namespace

CommandOutcome RunSelect(Site& site, const std::string& text, ResultSet* result) {
  SelectRunner runner(site, text);
  return runner.Run(result);
}

}  // namespace dsmsim
