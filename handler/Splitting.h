// Splitting of dsmadmc output: every rule by which an output line, or a
// column of one, is cut into pieces lives here, one function per thing
// split. (A command line is split by CForeignCmdExecBase::SplitCommandLine.)
//
// The plain rule, SplitLine(text, separator, quote, pieces):
//   1. An empty text gives no piece.
//   2. Every separator ends a piece, so a separator at the end leaves an
//      empty last piece: "a," gives "a" and "". Parsers that count fields
//      count it; docs/notes.md lists the rules whose result that decides.
//   3. With a quote character, a piece that starts with it runs to the
//      closing quote and may hold separators. The quotes go, a doubled
//      quote inside stands for one, an unclosed quote runs to the end of
//      the text, and what follows the closing quote up to the separator is
//      kept ("\"a\"b,c" gives "ab" and "c"). A quote anywhere else is data.
//   4. Nothing else is special; backslashes are data (Windows paths).
//
// Example: SplitQueryLine("NODE1,\"Version 6, release 3\",", tokens) gives
// "NODE1", "Version 6, release 3" and "".
//
// The name lists (schedule objects, association nodes, per-node objects)
// depart from the plain rule where noted at their functions.
//
// Every function is pure: no state, no I/O, no failure. Functions with a
// vector argument replace its contents (they reuse its strings' storage,
// so a parser can keep one vector for all its lines).
#pragma once

#include <string>
#include <vector>

namespace tsmsplit {

// The plain rule above; `quote` 0 means no quoting.
void SplitLine(const std::string& text, char separator, char quote, std::vector<std::string>& pieces);

// The plain rule, keeping only the first `keep` pieces: the others are
// counted, not copied, so a line of millions of fields costs its length
// and `keep` strings. Returns the number of pieces SplitLine gives, so
// field-count rules still hold. Variant for parsers that read only the
// first columns: SplitLineBounded("a,b,c,", ',', 0, 2, p) fills "a", "b"
// and returns 4.
size_t SplitLineBounded(const std::string& text, char separator, char quote, size_t keep,
                        std::vector<std::string>& pieces);

// A line of query output (node, schedule and association queries): commas
// separate, a field holding a comma is double-quoted.
void SplitQueryLine(const std::string& line, std::vector<std::string>& fields);

// A line of select output (version, DB2 and job selects): commas
// separate; quotes are data.
void SplitSelectLine(const std::string& line, std::vector<std::string>& fields);

// A line of a storage select (libraries, drives, volumes, pools). Variant
// of SplitSelectLine: a field holding a comma is double-quoted, as in
// SplitQueryLine, because volume names are paths that may hold commas and
// dsmadmc quotes them; reading the quote as data would shift every later
// column of that volume.
void SplitStorageSelectLine(const std::string& line, std::vector<std::string>& fields);

// An item list column of an enhanced schedule ("Mon,Wed"): commas separate.
void SplitValueList(const std::string& column, std::vector<std::string>& items);

// The objects column of the full schedule listing: file patterns
// separated by blanks, double-quoted when they hold one. Variant: empty
// pieces are dropped, because doubled or trailing blanks separate and
// name no file.
std::vector<std::string> SplitScheduleObjects(const std::string& column);

// The node list of an association line ("NODE1 NODE2"): the same rule as
// SplitScheduleObjects, for the same reason (no empty node names).
std::vector<std::string> SplitAssociationNodes(const std::string& column);

// The objects column of a per-node schedule line. Variant: blanks, tabs
// and commas all separate, because dsmadmc separates file patterns
// with blanks there as in the full listing, while a comma-separated column
// must still split at commas; empty pieces are dropped as in
// SplitScheduleObjects.
std::vector<std::string> SplitNodeScheduleObjects(const std::string& column);

// A time stamp "<date> <time of day>" at its blank.
std::vector<std::string> SplitTimestamp(const std::string& text);

// A date at `separator`: "07/23/2009" at '/', "2009-07-23" at '-'.
std::vector<std::string> SplitDate(const std::string& date, char separator);

// A time of day "17:00:00" at ':'.
std::vector<std::string> SplitTimeOfDay(const std::string& time);

}  // namespace tsmsplit
