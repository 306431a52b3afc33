// A program's usage as data: its commands, each command's options, and the
// manual page's other sections. --help text and the roff manual page are
// both rendered from it, so neither can drift from the other, and a
// command line parser built from the same rows (tsm-discover's
// CommandLineFor) accepts exactly the options documented.
//
// Text is plain ASCII prose; renderers wrap it. Nothing here fails or
// allocates beyond the returned strings.
#pragma once

#include <string>
#include <vector>

namespace toolcommon {

struct OptionDoc {
  std::string name;   // without "--"
  std::string value;  // placeholder such as "DIR"; empty for a switch
  std::string text;
  bool required = false;  // shown without brackets in the synopsis
};

struct CommandDoc {
  std::string name;
  std::string summary;                  // one line, for the command list
  std::vector<std::string> paragraphs;  // what the command does
  std::vector<OptionDoc> options;
  std::vector<std::string> operands = {};  // positional arguments, all required: "OLD_REPLIES"
};

// A manual page section after the commands: items with a tag (an exit
// status, a variable, a path, an example command) or plain paragraphs
// (empty tag).
struct SectionItem {
  std::string tag, text;
};
struct SectionDoc {
  std::string title;  // "EXIT STATUS"
  std::vector<SectionItem> items;
};

struct ProgramDoc {
  std::string name;     // "tsm-discover"
  std::string summary;  // for NAME: "run a discovery job ..."
  std::vector<std::string> paragraphs;
  std::vector<CommandDoc> commands;
  std::vector<SectionDoc> sections;
};

// "usage: NAME COMMAND ...", the command list and the sections.
std::string ProgramHelp(const ProgramDoc& program);
// One command's usage line(s), its paragraphs and its options.
std::string CommandHelp(const ProgramDoc& program, const CommandDoc& command);
// The whole page in man(7) roff, section 1, with `version` in its footer.
std::string ManPage(const ProgramDoc& program, const std::string& version, const std::string& date);

// The command named `name`; null when there is none.
const CommandDoc* FindCommand(const ProgramDoc& program, const std::string& name);

}  // namespace toolcommon
