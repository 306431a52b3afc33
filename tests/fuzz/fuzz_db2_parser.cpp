// The DB2 select parser (CTSMDB2Info) on any output file: at most one
// pair per line, never an empty instance name.
#include <cstdint>
#include <string>

#include "clients/CForeignHandlerTSMDB2.h"
#include "tests/fuzz/FuzzSupport.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  fuzzsupport::UseExistingFiles(false);
  const std::string input = fuzzsupport::AsString(data, size);
  CTSMDB2Info fetcher;
  fetcher.set_clientName("web01");
  const std::string path = fuzzsupport::WriteScratchFile(fetcher._GetFileNameForData(), input);

  fetcher._ParseData(nullptr, path);
  Check(fetcher.get_db2info()->size() <= fuzzsupport::MaxLines(input), "at most one pair per line", input);
  for (const auto& pair : *fetcher.get_db2info()) Check(!pair.first.empty(), "an instance name", input);
  return 0;
}
