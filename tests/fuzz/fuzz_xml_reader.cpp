// The hand-over reader on any bytes as a file. What it accepts must
// survive a write and a second read unchanged, and writing that again
// must give the same file.
#include <cstdint>
#include <memory>
#include <string>

#include "host/HandOver.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/MessageTrees.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  const std::string input = fuzzsupport::AsString(data, size);
  const std::unique_ptr<CNMessageBase> first =
      zyhost::ReadMessageXml(fuzzsupport::WriteScratchFile("input.xml", input));
  if (first == nullptr) return 0;

  const std::string& folder = fuzzsupport::ScratchFolder();
  Check(zyhost::WriteMessageXml(*first, folder + "first.xml"), "an accepted message is written", input);
  const std::unique_ptr<CNMessageBase> second = zyhost::ReadMessageXml(folder + "first.xml");
  Check(second != nullptr, "a written message is read", input);
  const std::string difference = fuzztrees::Difference(*first, *second, false);
  Check(difference.empty(), difference.c_str(), input);
  Check(zyhost::WriteMessageXml(*second, folder + "second.xml"), "the message read back is written", input);
  Check(fuzzsupport::ReadScratchFile("first.xml") == fuzzsupport::ReadScratchFile("second.xml"),
        "the same message gives the same file", input);
  return 0;
}
