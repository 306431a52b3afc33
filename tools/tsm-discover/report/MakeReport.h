// The report command's work: read a reply folder, write the page.
#pragma once

#include <iosfwd>
#include <string>

namespace tsmreport {

// Reads `replies` and writes the HTML page to `htmlFile` (through a
// temporary file and a rename, so a failed write leaves no half page).
// With `replaySet` (the gathered files the replies came from) the page
// opens with the takeover check. False with one line in *error.
bool WriteHtmlReportFile(const std::string& replies, const std::string& htmlFile, std::string* error,
                         const std::string& replaySet = "");

// Reads `replies` once and writes the page to `htmlFile` and the JSON
// inventory to `jsonFile`, each when its name is not empty, each through
// a temporary file and a rename; the page with the takeover check when
// `replaySet` is given. False with one line in *error.
bool WriteReportFiles(const std::string& replies, const std::string& htmlFile, const std::string& jsonFile,
                      std::string* error, const std::string& replaySet = "");

// Reads `replies` and writes the text form to `out`; false with *error.
bool WriteTextReportTo(const std::string& replies, std::ostream& out, std::string* error,
                       const std::string& replaySet = "");

}  // namespace tsmreport
