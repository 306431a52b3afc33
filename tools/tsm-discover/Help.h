// tsm-discover's commands and options as one table (Help.cpp). --help,
// the manual page tsm-discover(1) (`tsm-discover --man`, written at build
// time) and each command's parser come from it, so an option documented
// is an option accepted and the reverse.
//
// Adding an option: one OptionDoc row under its command in Help.cpp; the
// command reads it from its CommandLine. Adding a command: one CommandDoc
// row and its function in main.cpp's command list.
#pragma once

#include <string>

#include "tools/common/CommandDocs.h"
#include "tools/tsm-discover/CommandLine.h"

namespace tsmdiscover {

// The table. Built once, lives until exit.
const toolcommon::ProgramDoc& ProgramUsage();

// A parser accepting exactly the options (and operands) of `command`,
// which must be a row of the table.
CommandLine CommandLineFor(const std::string& command);

// "--help" text of `command`.
std::string HelpFor(const std::string& command);

// The package's version, "1.0.0".
const char* Version();

}  // namespace tsmdiscover
