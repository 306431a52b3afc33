// The takeover check written out: plain text for terminals, JSON (one
// object per item) for scripts, and the HTML section that opens the
// takeover report. Each only writes to `out`; a failing stream is the
// caller's to check. Every value from the files is escaped in the HTML and
// the JSON.
#pragma once

#include <iosfwd>

#include "tools/tsm-discover/verify/TakeoverCheck.h"

namespace tsmverify {

void WriteCheckText(const TakeoverCheck& check, std::ostream& out);
void WriteCheckJson(const TakeoverCheck& check, std::ostream& out);
void WriteCheckHtml(const TakeoverCheck& check, std::ostream& out);

// "same", "differs", "cannot check" or "".
const char* RunsWord(Runs runs);

}  // namespace tsmverify
