// The server commands the client is asked to run: QUERY NODE, QUERY
// SCHEDULE, QUERY ASSOCIATION and SELECT, recognised with the server's
// abbreviations and letter-case rules.
#pragma once

#include <string>

#include "tools/dsmadmc-sim/Result.h"
#include "tools/dsmadmc-sim/Site.h"

namespace dsmsim {

struct CommandContext {
  int dateFormat = 1;
};

// Runs one command text. kStatusNotFound (with the server's "No match"
// message) when nothing matched; kStatusUnknownCommand or kStatusSyntax
// for text it does not understand.
CommandOutcome RunCommand(Site& site, const std::string& command, const CommandContext& context,
                          ResultSet* result);

// The column layout of the detailed schedule listing. The full listing has
// 20 columns (19 with the "19" site setting, which drops the subaction);
// a listing restricted with Nodes= has one more, the managing profile,
// last.
enum class ScheduleLayout { k20, k19 };

}  // namespace dsmsim
