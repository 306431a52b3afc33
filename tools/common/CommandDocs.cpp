#include "tools/common/CommandDocs.h"

#include <sstream>

namespace toolcommon {
namespace {

constexpr size_t kWidth = 100;
constexpr size_t kOptionColumn = 24;

// `text` wrapped at kWidth, every line after the first indented by
// `indent` blanks; `used` columns are taken on the first line already.
std::string Wrap(const std::string& text, size_t indent, size_t used) {
  std::istringstream words(text);
  std::string out;
  size_t column = used;
  bool first = true;
  for (std::string word; words >> word;) {
    if (!first && column + 1 + word.size() > kWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (!first) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    first = false;
  }
  return out;
}

std::string OptionWords(const OptionDoc& o) { return "--" + o.name + (o.value.empty() ? "" : " " + o.value); }

// The synopsis' options: required ones as they are, the others in brackets.
std::vector<std::string> SynopsisItems(const CommandDoc& c) {
  std::vector<std::string> items(c.operands);
  for (int pass = 0; pass < 2; ++pass) {
    for (const OptionDoc& o : c.options) {
      if (o.required != (pass == 0)) continue;
      items.push_back(o.required ? OptionWords(o) : "[" + OptionWords(o) + "]");
    }
  }
  return items;
}

// Text as roff: backslashes escaped, hyphens as minus signs (options are
// typed as they are shown), a leading period or quote kept from being
// read as a request.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

void RoffItems(const std::vector<SectionItem>& items, std::string* out) {
  for (const SectionItem& item : items) {
    if (item.tag.empty()) {
      *out += ".PP\n" + Roff(item.text) + "\n";
    } else {
      *out += ".TP\n.B " + Roff(item.tag) + "\n" + Roff(item.text) + "\n";
    }
  }
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return text;
}

// "EXIT STATUS" as "Exit status".
std::string Sentence(std::string title) {
  for (size_t i = 1; i < title.size(); ++i) {
    if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
  }
  return title;
}

}  // namespace

const CommandDoc* FindCommand(const ProgramDoc& program, const std::string& name) {
  for (const CommandDoc& c : program.commands) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

std::string CommandHelp(const ProgramDoc& program, const CommandDoc& c) {
  const std::string lead = "usage: " + program.name + " " + c.name;
  std::string text = lead;
  size_t column = lead.size();
  for (const std::string& item : SynopsisItems(c)) {
    if (column + 1 + item.size() > kWidth) {
      text += "\n" + std::string(lead.size(), ' ');
      column = lead.size();
    }
    text += " " + item;
    column += 1 + item.size();
  }
  text += "\n";
  for (const std::string& p : c.paragraphs) text += Wrap(p, 0, 0) + "\n";
  for (const OptionDoc& o : c.options) {
    std::string head = "  " + OptionWords(o);
    head += head.size() + 1 < kOptionColumn ? std::string(kOptionColumn - head.size(), ' ')
                                            : "\n" + std::string(kOptionColumn, ' ');
    text += head + Wrap(o.text, kOptionColumn, kOptionColumn) + "\n";
  }
  return text;
}

std::string ProgramHelp(const ProgramDoc& program) {
  std::string text = "usage: " + program.name + " COMMAND [OPTIONS]\n";
  for (const std::string& p : program.paragraphs) text += Wrap(p, 0, 0) + "\n";
  text += "\nCommands:\n";
  for (const CommandDoc& c : program.commands) {
    std::string head = "  " + c.name;
    head += std::string(head.size() < 20 ? 20 - head.size() : 1, ' ');
    text += head + Wrap(c.summary, 20, 20) + "\n";
  }
  text += program.name + " COMMAND --help describes each command and its options.\n";
  for (const SectionDoc& s : program.sections) {
    text += "\n" + Sentence(s.title) + ":\n";
    for (const SectionItem& item : s.items) {
      if (item.tag.empty()) {
        text += "  " + Wrap(item.text, 2, 2) + "\n";
      } else {
        text += "  " + item.tag + "\n      " + Wrap(item.text, 6, 6) + "\n";
      }
    }
  }
  return text;
}

std::string ManPage(const ProgramDoc& program, const std::string& version, const std::string& date) {
  std::string out = ".TH " + Upper(Roff(program.name)) + " 1 \"" + date + "\" \"" + Roff(program.name) + " " +
                    Roff(version) + "\" \"User Commands\"\n";
  out += ".nh\n.SH NAME\n" + Roff(program.name) + " \\- " + Roff(program.summary) + "\n";
  out += ".SH SYNOPSIS\n";
  for (const CommandDoc& c : program.commands) {
    out += ".HP\n.B " + Roff(program.name + " " + c.name) + "\n";
    for (const std::string& item : SynopsisItems(c)) out += Roff(item) + "\n";
  }
  out += ".SH DESCRIPTION\n";
  for (const std::string& p : program.paragraphs) out += ".PP\n" + Roff(p) + "\n";
  out += ".SH COMMANDS\n";
  for (const CommandDoc& c : program.commands) {
    out += ".SS " + Roff(c.name) + "\n";
    for (const std::string& p : c.paragraphs) out += ".PP\n" + Roff(p) + "\n";
    for (const OptionDoc& o : c.options) {
        out += ".TP\n.BR \\-\\-" + Roff(o.name) + (o.value.empty() ? "" : " \" " + Roff(o.value) + "\"") +
             "\n" + Roff(o.text) + "\n";
    }
  }
  for (const SectionDoc& s : program.sections) {
    out += ".SH " + Roff(s.title) + "\n";
    RoffItems(s.items, &out);
  }
  return out;
}

}  // namespace toolcommon
