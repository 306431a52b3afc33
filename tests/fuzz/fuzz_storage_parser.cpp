// The storage select parsers that read one file each, on the same input:
// storage policies (CTSMSPFetcher), media (CTSMMedia) and stand-alone
// libraries (CTSMStandAloneLibs), each at most one record per line.
#include <cstdint>
#include <string>

#include "handler/TSMCommands.h"
#include "storage/CForeignHandlerTSMMedia.h"
#include "storage/CForeignHandlerTSMStandAloneLibs.h"
#include "storage/CForeignHandlerTSMStoragePolicy.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

// Parses `input` written as the fetcher's output file; the record count.
template <typename Fetcher, typename Records>
size_t Parse(Fetcher& fetcher, Records records, const std::string& input) {
  fetcher._ParseData(nullptr, fuzzsupport::WriteScratchFile(fetcher._GetFileNameForData(), input));
  return (fetcher.*records)()->size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  fuzzsupport::UseExistingFiles(false);
  const std::string input = fuzzsupport::AsString(data, size);
  const size_t lines = fuzzsupport::MaxLines(input);

  CTSMSPFetcher policies;
  Check(Parse(policies, &CTSMSPFetcher::get_tsmsp, input) <= lines, "storage policies per line", input);
  CTSMMedia media;
  Check(Parse(media, &CTSMMedia::get_tsmmedia, input) <= lines, "media per line", input);
  CTSMStandAloneLibs standAlone;
  Check(Parse(standAlone, &CTSMStandAloneLibs::get_stdaloneLibs, input) <= lines,
        "stand-alone libraries per line", input);
  return 0;
}
