// tsm-discover diff: what changed on the server between two discoveries
// (two reply folders), as text, JSON (docs/diff.schema.json) or an HTML
// page. Both folders are read at once, as the report reads them except
// for the job lists, of which only the jobs per client are counted;
// memory follows the inventories, not the jobs.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/tsm-discover/diff/Changes.h"

namespace tsmdiff {

struct DiffOutput {
  std::string jsonFile;  // write JSON here
  std::string htmlFile;  // or a page here; neither: text on `out`
};

// Exit status: 0 nothing changed, 1 something did, 2 bad input (a folder
// that cannot be read, holds no reply file or holds a reply file that
// does not parse, since a comparison without it would hide its content;
// an output file that cannot be written), said in one line on `err`.
int RunDiff(const std::string& before, const std::string& after, const DiffOutput& output, std::ostream& out,
            std::ostream& err);

void WriteDiffText(const std::vector<Change>& changes, std::ostream& out);
void WriteDiffJson(const std::string& before, const std::string& after, const std::vector<Change>& changes,
                   std::ostream& out);
void WriteDiffHtml(const std::string& before, const std::string& after, const std::vector<Change>& changes,
                   std::ostream& out);

}  // namespace tsmdiff
