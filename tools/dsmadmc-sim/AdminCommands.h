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

// The column layouts of the detailed schedule listing, by server level
// (docs/notes.md): 19 fields on 5.x; 20 on 6.x and 7.x (the subaction
// after the action); 21 on 8.1 and newer (also the maximum run time after
// the duration). The last field is the managing profile. The site's
// server version decides; the SCHEDULE_LAYOUT setting (19, 20 or 21)
// overrides it. Restricting the listing with NODES= changes no column.
enum class ScheduleLayout { k19, k20, k21 };

}  // namespace dsmsim
