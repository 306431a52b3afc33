// The SELECT statements of the discovery and of gather, evaluated over the
// site tables. Not a general SQL engine: one SELECT with an optional
// DISTINCT, columns or *, tables with aliases joined by the WHERE clause,
// a WHERE clause of conditions joined by AND (=, <>, <, >, <=, >=,
// [NOT] LIKE with ESCAPE, [NOT] IN), and ORDER BY.
//
// Literals are single-quoted; a word that names no column of the tables is
// taken as a literal too, because the plug-in's form A select reaches the
// client with its quotes already removed by the argument split.
#pragma once

#include <string>

#include "tools/dsmadmc-sim/Result.h"
#include "tools/dsmadmc-sim/Site.h"

namespace dsmsim {

// Runs `text` against `site`. On success fills `result` (timestamps in the
// select's own form) and returns kStatusOk, or kStatusNotFound with the
// server's message when no row matched; a statement it cannot read gives
// kStatusSyntax and a message.
CommandOutcome RunSelect(Site& site, const std::string& text, ResultSet* result);

}  // namespace dsmsim
