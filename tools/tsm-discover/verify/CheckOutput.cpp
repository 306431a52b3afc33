#include "tools/tsm-discover/verify/CheckOutput.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "tools/tsm-discover/report/Escape.h"
#include "tools/tsm-schedule/Calendar.h"

namespace tsmverify {
namespace {

std::string Window(const TakeoverCheck& c) {
  return tsmcal::FormatDay(tsmcal::DayOf(c.from)) + " " +
         tsmcal::FormatTimeOfDay(c.from - tsmcal::DayOf(c.from) * tsmcal::kSecondsPerDay) + " for " +
         std::to_string((c.to - c.from) / tsmcal::kSecondsPerDay) + " days";
}

long LeftOut(const KindCount& k) { return k.inTsm - k.handedOver; }

std::string Verdict(const TakeoverCheck& c) {
  long left = 0;
  for (const auto& kc : c.counts) left += LeftOut(kc.second);
  if (c.ExitStatus() == 0) return "Everything is accounted for and every schedule runs as in TSM.";
  return std::to_string(left) + " left out; schedules: " + std::to_string(c.same) + " same, " +
         std::to_string(c.differs) + " differ, " + std::to_string(c.cannotCheck) + " cannot be checked.";
}

std::string Json(const std::string& s) {
  std::string out = "\"";
  for (unsigned char ch : s) {
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof(buf), "\\u%04x", ch);
      out += buf;
    } else {
      out += static_cast<char>(ch);
    }
  }
  return out + "\"";
}

std::string Times(long n) { return std::to_string(n) + (n == 1 ? " time" : " times"); }

std::string RunsText(const CheckItem& i) {
  std::string text = RunsWord(i.runs);
  if (i.runs == Runs::kSame)
    text += " (" + std::to_string(i.tsmStarts) + (i.tsmStarts == 1 ? " start)" : " starts)");
  if (i.runs == Runs::kDiffers) {
    text += ": TSM starts " + Times(i.tsmStarts) + ", the host " + Times(i.hostStarts);
    if (!i.firstTsmOnly.empty()) text += "; first TSM only " + i.firstTsmOnly;
    if (!i.firstHostOnly.empty()) text += "; first host only " + i.firstHostOnly;
  }
  if (!i.runsNote.empty()) text += "; " + i.runsNote;
  return text;
}

std::string E(const std::string& s) { return tsmreport::EscapeHtml(s); }

}  // namespace

const char* RunsWord(Runs runs) {
  switch (runs) {
    case Runs::kSame:
      return "same";
    case Runs::kDiffers:
      return "differs";
    case Runs::kCannotCheck:
      return "cannot check";
    default:
      return "";
  }
}

void WriteCheckText(const TakeoverCheck& c, std::ostream& out) {
  out << "Takeover check of the gathered set " << c.replaySet << "\nWindow: " << Window(c) << "\n\n";
  char line[160];
  std::snprintf(line, sizeof(line), "  %-10s %10s %12s %10s\n", "Kind", "In TSM", "Handed over", "Left out");
  out << line;
  for (const auto& [kind, k] : c.counts) {
    std::snprintf(line, sizeof(line), "  %-10s %10ld %12ld %10ld\n", kind.c_str(), k.inTsm, k.handedOver,
                  LeftOut(k));
    out << line;
  }
  out << "\nLeft out:\n";
  bool any = false;
  for (const CheckItem& i : c.items) {
    if (i.handedCount >= i.count) continue;
    any = true;
    out << "  " << i.kind << " " << i.name << ": " << i.reason << "\n";
  }
  if (!any) out << "  nothing\n";
  out << "\nSchedules:\n";
  size_t width = 0;
  for (const CheckItem& i : c.items) {
    if (i.runs != Runs::kNotChecked) width = std::max(width, i.name.size());
  }
  for (const CheckItem& i : c.items) {
    if (i.runs != Runs::kNotChecked)
      out << "  " << i.name << std::string(width - std::min(width, i.name.size()), ' ') << "  " << RunsText(i)
          << "\n";
  }
  out << "\n" << Verdict(c) << "\n";
}

void WriteCheckJson(const TakeoverCheck& c, std::ostream& out) {
  out << "{\"replaySet\":" << Json(c.replaySet) << ",\"from\":" << Json(tsmcal::FormatMoment(c.from))
      << ",\"to\":" << Json(tsmcal::FormatMoment(c.to)) << ",\"exitStatus\":" << c.ExitStatus()
      << ",\"counts\":[";
  for (size_t n = 0; n < c.counts.size(); ++n) {
    const KindCount& k = c.counts[n].second;
    out << (n ? "," : "") << "{\"kind\":" << Json(c.counts[n].first) << ",\"inTsm\":" << k.inTsm
        << ",\"handedOver\":" << k.handedOver << ",\"leftOut\":{";
    size_t r = 0;
    for (const auto& [reason, count] : k.leftOutByReason)
      out << (r++ ? "," : "") << Json(reason) << ":" << count;
    out << "}}";
  }
  out << "],\"items\":[\n";
  for (size_t n = 0; n < c.items.size(); ++n) {
    const CheckItem& i = c.items[n];
    out << (n ? ",\n" : "") << "{\"kind\":" << Json(i.kind) << ",\"name\":" << Json(i.name)
        << ",\"handedOver\":" << (i.handedOver ? "true" : "false") << ",\"count\":" << i.count
        << ",\"handedCount\":" << i.handedCount;
    if (!i.reason.empty()) out << ",\"reason\":" << Json(i.reason);
    if (i.runs != Runs::kNotChecked) {
      out << ",\"runs\":" << Json(RunsWord(i.runs)) << ",\"tsmStarts\":" << i.tsmStarts
          << ",\"hostStarts\":" << i.hostStarts << ",\"tsm\":" << Json(i.tsmWords)
          << ",\"host\":" << Json(i.hostWords);
      if (!i.firstTsmOnly.empty()) out << ",\"firstTsmOnly\":" << Json(i.firstTsmOnly);
      if (!i.firstHostOnly.empty()) out << ",\"firstHostOnly\":" << Json(i.firstHostOnly);
      if (i.runs == Runs::kCannotCheck) out << ",\"why\":" << Json(i.runsNote);
    }
    out << "}";
  }
  out << "\n]}\n";
}

void WriteCheckHtml(const TakeoverCheck& c, std::ostream& out) {
  out << "<section id=\"takeover-check\"><h2>Takeover check</h2><p class=\"note\">Gathered set "
      << E(c.replaySet) << "; starts compared from " << E(Window(c)) << ".</p><p"
      << (c.ExitStatus() == 0 ? ">" : " class=\"bad\">") << E(Verdict(c)) << "</p><table>";
  out << "<thead><tr><th>Kind</th><th>In TSM</th><th>Handed over</th><th>Left out</th></tr></thead><tbody>\n";
  for (const auto& [kind, k] : c.counts) {
    out << "<tr class=\"check-count\"><td>" << E(kind) << "</td><td>" << k.inTsm << "</td><td>"
        << k.handedOver << "</td><td" << (LeftOut(k) ? " class=\"bad\">" : ">") << LeftOut(k)
        << "</td></tr>\n";
  }
  out << "</tbody></table><h3>Left "
         "out</h3><table><thead><tr><th>Kind</th><th>Name</th><th>Why</th></tr></thead><tbody>\n";
  for (const CheckItem& i : c.items) {
    if (i.handedCount < i.count)
      out << "<tr class=\"left-out\"><td>" << E(i.kind) << "</td><td>" << E(i.name) << "</td><td>"
          << E(i.reason) << "</td></tr>\n";
  }
  out << "</tbody></table><h3>Schedule runs</h3><table><thead><tr><th>Schedule</th><th>Verdict</th><th>TSM "
         "starts</th>"
         "<th>Host starts</th><th>First on TSM only</th><th>First on host "
         "only</th><th>TSM</th><th>Host</th></tr>"
         "</thead><tbody>\n";
  for (const CheckItem& i : c.items) {
    if (i.runs == Runs::kNotChecked) continue;
    out << "<tr class=\"check-runs\"><td>" << E(i.name) << "</td><td"
        << (i.runs == Runs::kSame ? ">" : " class=\"bad\">") << RunsWord(i.runs)
        << (i.runs == Runs::kCannotCheck ? ": " + E(i.runsNote) : "") << "</td><td>" << i.tsmStarts
        << "</td><td>" << i.hostStarts << "</td><td>" << E(i.firstTsmOnly) << "</td><td>"
        << E(i.firstHostOnly) << "</td><td>" << E(i.tsmWords) << "</td><td>" << E(i.hostWords)
        << "</td></tr>\n";
  }
  out << "</tbody></table><details><summary>Every item (" << c.items.size()
      << ")</summary><table><thead><tr><th>Kind</th><th>Name</th><th>Verdict</th></tr></thead><tbody>\n";
  for (const CheckItem& i : c.items) {
    out << "<tr><td>" << E(i.kind) << "</td><td>" << E(i.name) << "</td><td>"
        << (i.handedCount >= i.count ? "handed over" : "left out: " + E(i.reason)) << "</td></tr>\n";
  }
  out << "</tbody></table></details></section>\n";
}

}  // namespace tsmverify
