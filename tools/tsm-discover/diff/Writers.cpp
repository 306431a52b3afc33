// The changes as text, JSON and HTML.
#include <ostream>

#include "tools/tsm-discover/diff/Diff.h"
#include "tools/tsm-discover/report/Escape.h"
#include "tools/tsm-discover/report/JsonWriter.h"

namespace tsmdiff {
namespace {

const char* TypeName(ChangeType t) {
  return t == ChangeType::kAdded ? "added" : t == ChangeType::kRemoved ? "removed" : "changed";
}

std::string FieldsText(const Fields& fields) {
  std::string text;
  for (const auto& [name, value] : fields) {
    if (!value.empty()) text += (text.empty() ? "" : "; ") + name + ": " + value;
  }
  return text;
}

// "3 added, 1 removed, 2 changed" (changed: items, not fields).
std::string Counts(const std::vector<Change>& changes) {
  long added = 0, removed = 0, changed = 0;
  const Change* last = nullptr;
  for (const Change& c : changes) {
    if (c.type == ChangeType::kAdded) ++added;
    if (c.type == ChangeType::kRemoved) ++removed;
    if (c.type == ChangeType::kChanged &&
        (last == nullptr || last->type != ChangeType::kChanged || last->kind != c.kind || last->key != c.key))
      ++changed;
    last = &c;
  }
  return std::to_string(added) + " added, " + std::to_string(removed) + " removed, " +
         std::to_string(changed) + " changed";
}

void JsonFields(tsmreport::JsonWriter& w, const char* key, const Fields& fields) {
  w.Key(key);
  w.BeginObject();
  for (const auto& [name, value] : fields) w.Field(name.c_str(), value);
  w.EndObject();
}

}  // namespace

void WriteDiffText(const std::vector<Change>& changes, std::ostream& out) {
  if (changes.empty()) {
    out << "No changes.\n";
    return;
  }
  out << "Changes: " << Counts(changes) << "\n";
  for (const Change& c : changes) {
    if (c.type == ChangeType::kChanged) {
      out << "~ " << c.kind << " " << c.key << ": " << c.field << ": '" << c.oldValue << "' -> '"
          << c.newValue << "'\n";
    } else {
      const std::string fields = FieldsText(c.fields);
      out << (c.type == ChangeType::kAdded ? "+ " : "- ") << c.kind << " " << c.key
          << (fields.empty() ? "" : " (" + fields + ")") << "\n";
    }
  }
}

void WriteDiffJson(const std::string& before, const std::string& after, const std::vector<Change>& changes,
                   std::ostream& out) {
  tsmreport::JsonWriter w(out);
  w.BeginObject();
  w.Field("formatVersion", 1);
  w.Field("old", before);
  w.Field("new", after);
  w.Key("changes");
  w.BeginArray();
  for (const Change& c : changes) {
    w.BeginObject();
    w.Field("change", TypeName(c.type));
    w.Field("kind", c.kind);
    w.Field("key", c.key);
    if (c.type == ChangeType::kChanged) {
      w.Field("field", c.field);
      w.Field("old", c.oldValue);
      w.Field("new", c.newValue);
    } else {
      JsonFields(w, c.type == ChangeType::kAdded ? "new" : "old", c.fields);
    }
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
}

void WriteDiffHtml(const std::string& before, const std::string& after, const std::vector<Change>& changes,
                   std::ostream& out) {
  using tsmreport::EscapeHtml;
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Changes</title><style>"
         "body{font-family:sans-serif;margin:1.5em}table{border-collapse:collapse}th,td{border:1px solid "
         "#ccc;padding:2px 6px;text-align:left;vertical-align:top}th{background:#eee}.added{color:#283}"
         ".removed{color:#c33}</style></head><body>\n<h1>Changes</h1>\n<p>From "
      << EscapeHtml(before) << " to " << EscapeHtml(after) << ": "
      << (changes.empty() ? "no changes" : Counts(changes)) << ".</p>\n";
  if (!changes.empty()) {
    out << "<table><thead><tr><th>Change</th><th>Kind</th><th>Item</th><th>Field</th><th>Old</th><th>New</th>"
           "</tr></thead><tbody>\n";
    for (const Change& c : changes) {
      const bool changed = c.type == ChangeType::kChanged;
      out << "<tr class=\"" << TypeName(c.type) << "\"><td>" << TypeName(c.type) << "</td><td>"
          << EscapeHtml(c.kind) << "</td><td>" << EscapeHtml(c.key) << "</td><td>" << EscapeHtml(c.field)
          << "</td><td>"
          << EscapeHtml(changed                          ? c.oldValue
                        : c.type == ChangeType::kRemoved ? FieldsText(c.fields)
                                                         : "")
          << "</td><td>"
          << EscapeHtml(changed                        ? c.newValue
                        : c.type == ChangeType::kAdded ? FieldsText(c.fields)
                                                       : "")
          << "</td></tr>\n";
    }
    out << "</tbody></table>\n";
  }
  out << "</body></html>\n";
}

}  // namespace tsmdiff
