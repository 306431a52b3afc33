#include "tools/dsmadmc-sim/AdminCommands.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "tools/dsmadmc-sim/SqlSelect.h"
#include "tools/dsmadmc-sim/TextMatch.h"

namespace dsmsim {
namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// `word` abbreviates `full` (upper case) to at least `minLength` letters.
bool Abbreviates(const std::string& word, const std::string& full, size_t minLength) {
  std::string upper = Upper(word);
  return upper.size() >= minLength && upper.size() <= full.size() &&
         full.compare(0, upper.size(), upper) == 0;
}

struct Parameters {
  std::vector<std::string> positional;
  std::map<std::string, std::string> named;  // upper-case name -> value
};

Parameters SplitParameters(const std::vector<std::string>& words, size_t from) {
  Parameters p;
  for (size_t i = from; i < words.size(); ++i) {
    size_t eq = words[i].find('=');
    if (eq == std::string::npos) {
      p.positional.push_back(words[i]);
    } else {
      p.named[Upper(words[i].substr(0, eq))] = words[i].substr(eq + 1);
    }
  }
  return p;
}

// Looks a named parameter up by any abbreviation of `full` of at least
// `minLength` letters.
bool Named(const Parameters& p, const std::string& full, size_t minLength, std::string* value) {
  for (const auto& entry : p.named) {
    if (Abbreviates(entry.first, full, minLength)) {
      *value = entry.second;
      return true;
    }
  }
  return false;
}

CommandOutcome Failure(int status, const std::string& message) {
  CommandOutcome outcome;
  outcome.status = status;
  outcome.messages.push_back(message);
  return outcome;
}

CommandOutcome NotFound(const std::string& what) {
  return Failure(kStatusNotFound, "ANR2034E " + what + ": No match found using this criteria.");
}

CommandOutcome Syntax(const std::string& what) {
  return Failure(kStatusSyntax, "ANR2020E " + what + ": Invalid parameter - ...");
}

CommandOutcome MissingTable(const std::string& file) {
  return Failure(kStatusSyntax, "ANR0104E The simulated server has no table " + file + ".");
}

bool Detailed(const Parameters& p) {
  std::string format;
  return Named(p, "FORMAT", 1, &format) && Abbreviates(format, "DETAILED", 1);
}

CommandOutcome QueryNode(Site& site, const Parameters& p, const CommandContext& ctx, ResultSet* result) {
  const Table* nodes = site.Find("NODES");
  if (nodes == nullptr) return MissingTable("nodes.csv");
  std::string pattern = p.positional.empty() ? "*" : p.positional[0];
  std::string domain;
  bool byDomain = Named(p, "DOMAIN", 3, &domain);
  std::vector<const Row*> matches;
  for (const Row& row : nodes->rows) {
    if (!WildcardMatch(nodes->Cell(row, "NODE_NAME"), pattern)) continue;
    if (byDomain && !WildcardMatch(nodes->Cell(row, "DOMAIN_NAME"), domain)) continue;
    matches.push_back(&row);
  }
  if (matches.empty()) return NotFound("QUERY NODE");
  int nameColumn = nodes->Column("NODE_NAME");
  std::stable_sort(matches.begin(), matches.end(),
                   [nameColumn](const Row* a, const Row* b) { return (*a)[nameColumn] < (*b)[nameColumn]; });
  if (Detailed(p)) {
    result->columns = nodes->columns;
    for (const Row* row : matches) {
      Row out;
      for (const std::string& cell : *row) out.push_back(QueryDate(cell, ctx.dateFormat));
      result->rows.push_back(out);
    }
  } else {
    result->columns = {"NODE_NAME",         "PLATFORM_NAME",    "DOMAIN_NAME",
                       "DAYS_SINCE_ACCESS", "DAYS_SINCE_PWSET", "LOCKED"};
    for (const Row* row : matches) {
      Row out;
      for (const std::string& column : result->columns) out.push_back(nodes->Cell(*row, column));
      result->rows.push_back(out);
    }
  }
  return CommandOutcome();
}

std::string Units(const std::string& count, const std::string& units) {
  std::string u = Upper(units);
  if (u == "ONETIME") return "One Time";
  if (u == "INDEFINITE") return "Indefinite";
  static const std::map<std::string, std::string> kWords = {{"MINUTES", "Minute(s)"}, {"HOURS", "Hour(s)"},
                                                            {"DAYS", "Day(s)"},       {"WEEKS", "Week(s)"},
                                                            {"MONTHS", "Month(s)"},   {"YEARS", "Year(s)"}};
  auto it = kWords.find(u);
  if (it == kWords.end() || count.empty()) return "";
  return count + " " + it->second;
}

// Names of the nodes associated with a schedule, in association order.
std::vector<std::string> AssociatedNodes(const Table* assoc, const std::string& domain,
                                         const std::string& schedule) {
  std::vector<std::string> nodes;
  if (assoc == nullptr) return nodes;
  for (const Row& row : assoc->rows) {
    if (EqualsNoCase(assoc->Cell(row, "DOMAIN_NAME"), domain) &&
        EqualsNoCase(assoc->Cell(row, "SCHEDULE_NAME"), schedule)) {
      nodes.push_back(assoc->Cell(row, "NODE_NAME"));
    }
  }
  return nodes;
}

// Schedules matching the positional domain and schedule patterns, sorted
// by domain and name.
std::vector<const Row*> MatchSchedules(const Table& schedules, const Parameters& p) {
  std::string domain = p.positional.size() > 0 ? p.positional[0] : "*";
  std::string name = p.positional.size() > 1 ? p.positional[1] : "*";
  std::vector<const Row*> matches;
  for (const Row& row : schedules.rows) {
    if (WildcardMatch(schedules.Cell(row, "DOMAIN_NAME"), domain) &&
        WildcardMatch(schedules.Cell(row, "SCHEDULE_NAME"), name)) {
      matches.push_back(&row);
    }
  }
  int d = schedules.Column("DOMAIN_NAME");
  int s = schedules.Column("SCHEDULE_NAME");
  std::stable_sort(matches.begin(), matches.end(), [d, s](const Row* a, const Row* b) {
    return std::make_pair((*a)[d], (*a)[s]) < std::make_pair((*b)[d], (*b)[s]);
  });
  return matches;
}

Row DetailedScheduleRow(const Table& t, const Row& row, ScheduleLayout layout, int dateFormat) {
  auto cell = [&](const char* column) { return t.Cell(row, column); };
  std::string start = cell("STARTDATE");
  if (!cell("STARTTIME").empty()) start += " " + cell("STARTTIME");
  Row out = {cell("DOMAIN_NAME"), cell("SCHEDULE_NAME"), cell("DESCRIPTION"), cell("ACTION")};
  if (layout != ScheduleLayout::k19) out.push_back(cell("SUBACTION"));
  out.push_back(cell("OPTIONS"));
  out.push_back(cell("OBJECTS"));
  out.push_back(cell("PRIORITY"));
  out.push_back(QueryDate(start, dateFormat));
  out.push_back(Units(cell("DURATION"), cell("DURUNITS")));
  if (layout == ScheduleLayout::k21) out.push_back(cell("MAXRUNTIME"));
  out.push_back(cell("SCHED_STYLE"));
  out.push_back(Units(cell("PERIOD"), cell("PERUNITS")));
  out.push_back(cell("DAYOFWEEK"));
  out.push_back(cell("MONTH"));
  out.push_back(cell("DAYOFMONTH"));
  out.push_back(cell("WEEKOFMONTH"));
  out.push_back(QueryDate(cell("EXPIRATION"), dateFormat));
  out.push_back(cell("CHG_ADMIN"));
  out.push_back(QueryDate(cell("CHG_TIME"), dateFormat));
  out.push_back(cell("PROFILE"));
  return out;
}

std::vector<std::string> CommaList(const std::string& text) {
  std::vector<std::string> items;
  std::string item;
  for (char c : text + ",") {
    if (c == ',') {
      if (!item.empty()) items.push_back(item);
      item.clear();
    } else {
      item += c;
    }
  }
  return items;
}

std::vector<std::string> DetailedScheduleColumns(ScheduleLayout layout) {
  std::vector<std::string> columns = {"DOMAIN_NAME", "SCHEDULE_NAME", "DESCRIPTION", "ACTION"};
  if (layout != ScheduleLayout::k19) columns.push_back("SUBACTION");
  for (const char* c : {"OPTIONS", "OBJECTS", "PRIORITY", "START", "DURATION"}) columns.push_back(c);
  if (layout == ScheduleLayout::k21) columns.push_back("MAXRUNTIME");
  for (const char* c : {"SCHED_STYLE", "PERIOD", "DAYOFWEEK", "MONTH", "DAYOFMONTH", "WEEKOFMONTH",
                        "EXPIRATION", "CHG_ADMIN", "CHG_TIME", "PROFILE"}) {
    columns.push_back(c);
  }
  return columns;
}

ScheduleLayout LayoutOfSite(Site& site) {
  std::string forced = site.Setting("SCHEDULE_LAYOUT", "");
  if (forced == "19") return ScheduleLayout::k19;
  if (forced == "20") return ScheduleLayout::k20;
  if (forced == "21") return ScheduleLayout::k21;
  const Table* status = site.Find("STATUS");
  int version = 8;
  if (status != nullptr && !status->rows.empty()) {
    version = std::atoi(status->Cell(status->rows.front(), "VERSION").c_str());
  }
  if (version < 6) return ScheduleLayout::k19;
  return version < 8 ? ScheduleLayout::k20 : ScheduleLayout::k21;
}

CommandOutcome QuerySchedule(Site& site, const Parameters& p, const CommandContext& ctx, ResultSet* result) {
  const Table* schedules = site.Find("CLIENT_SCHEDULES");
  if (schedules == nullptr) return MissingTable("client_schedules.csv");
  std::string type;
  if (Named(p, "TYPE", 1, &type) && !Abbreviates(type, "CLIENT", 1)) return NotFound("QUERY SCHEDULE");
  std::string nodeList;
  bool byNodes = Named(p, "NODES", 1, &nodeList);
  std::vector<std::string> wanted = CommaList(nodeList);
  const Table* assoc = site.Find("ASSOCIATIONS");
  ScheduleLayout layout = LayoutOfSite(site);
  bool detailed = Detailed(p);
  for (const Row* row : MatchSchedules(*schedules, p)) {
    if (byNodes) {
      bool any = false;
      for (const std::string& node : AssociatedNodes(assoc, schedules->Cell(*row, "DOMAIN_NAME"),
                                                     schedules->Cell(*row, "SCHEDULE_NAME"))) {
        for (const std::string& w : wanted) any = any || WildcardMatch(node, w);
      }
      if (!any) continue;
    }
    if (detailed) {
      result->rows.push_back(DetailedScheduleRow(*schedules, *row, layout, ctx.dateFormat));
    } else {
      std::string start = schedules->Cell(*row, "STARTDATE") + " " + schedules->Cell(*row, "STARTTIME");
      result->rows.push_back({schedules->Cell(*row, "DOMAIN_NAME"), schedules->Cell(*row, "SCHEDULE_NAME"),
                              schedules->Cell(*row, "ACTION"), QueryDate(start, ctx.dateFormat),
                              Units(schedules->Cell(*row, "DURATION"), schedules->Cell(*row, "DURUNITS")),
                              Units(schedules->Cell(*row, "PERIOD"), schedules->Cell(*row, "PERUNITS")),
                              schedules->Cell(*row, "DAYOFWEEK")});
    }
  }
  if (result->rows.empty()) return NotFound("QUERY SCHEDULE");
  result->columns = detailed ? DetailedScheduleColumns(layout)
                             : std::vector<std::string>{"DOMAIN_NAME", "SCHEDULE_NAME", "ACTION",   "START",
                                                        "DURATION",    "PERIOD",        "DAYOFWEEK"};
  return CommandOutcome();
}

CommandOutcome QueryAssociation(Site& site, const Parameters& p, ResultSet* result) {
  const Table* schedules = site.Find("CLIENT_SCHEDULES");
  if (schedules == nullptr) return MissingTable("client_schedules.csv");
  const Table* assoc = site.Find("ASSOCIATIONS");
  result->columns = {"DOMAIN_NAME", "SCHEDULE_NAME", "NODES"};
  for (const Row* row : MatchSchedules(*schedules, p)) {
    std::string domain = schedules->Cell(*row, "DOMAIN_NAME");
    std::string name = schedules->Cell(*row, "SCHEDULE_NAME");
    std::string list;
    for (const std::string& node : AssociatedNodes(assoc, domain, name)) {
      if (!list.empty()) list += ' ';
      list += node;
    }
    result->rows.push_back({domain, name, list});
  }
  if (result->rows.empty()) return NotFound("QUERY ASSOCIATION");
  return CommandOutcome();
}

}  // namespace

CommandOutcome RunCommand(Site& site, const std::string& command, const CommandContext& context,
                          ResultSet* result) {
  std::vector<std::string> words = Words(command);
  if (words.empty()) {
    CommandOutcome outcome;
    outcome.status = kStatusUnknownCommand;
    outcome.messages.push_back("ANR2000E Unknown command - .");
    return outcome;
  }
  if (EqualsNoCase(words[0], "SELECT")) return RunSelect(site, command, result);
  if (Abbreviates(words[0], "QUERY", 1) && words.size() > 1) {
    Parameters p = SplitParameters(words, 2);
    if (Abbreviates(words[1], "NODE", 1)) return QueryNode(site, p, context, result);
    if (Abbreviates(words[1], "SCHEDULE", 3)) return QuerySchedule(site, p, context, result);
    if (Abbreviates(words[1], "ASSOCIATION", 5)) return QueryAssociation(site, p, result);
    return Syntax("QUERY");
  }
  CommandOutcome outcome;
  outcome.status = kStatusUnknownCommand;
  outcome.messages.push_back("ANR2000E Unknown command - " + Upper(words[0]) + ".");
  return outcome;
}

}  // namespace dsmsim
