// The hand-over format (host/HandOver.h), one program per row of kRows
// (CMakeLists.txt builds fuzz_<name> with TSM_FUZZ_HARNESS="<name>").
#include "host/HandOver.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>

#include "host/MessageSchema.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/MessageTrees.h"

namespace {

using namespace fuzzsupport;

// Any bytes as a file: what the reader accepts must survive a write and a
// second read unchanged, and writing that again must give the same file.
void XmlReader(const std::string& input) {
  const std::unique_ptr<CNMessageBase> first = zyhost::ReadMessageXml(WriteScratchFile("input.xml", input));
  if (first == nullptr) return;
  Check(zyhost::WriteMessageXml(*first, ScratchFolder() + "first.xml"), "an accepted message is written",
        input);
  const std::unique_ptr<CNMessageBase> second = zyhost::ReadMessageXml(ScratchFolder() + "first.xml");
  Check(second != nullptr, "a written message is read", input);
  const std::string difference = fuzztrees::Difference(*first, *second, false);
  Check(difference.empty(), difference.c_str(), input);
  Check(zyhost::WriteMessageXml(*second, ScratchFolder() + "second.xml"), "the message read back is written",
        input);
  Check(ReadScratchFile("first.xml") == ReadScratchFile("second.xml"), "the same message gives the same file",
        input);
}

// A message tree drawn from the input, strings of any bytes included: the
// file is written, read back, and equals the tree with each string as
// HandOverText gives it.
void XmlWriter(const std::string& input) {
  SetSchemaCheckMode(SchemaCheckMode::kOff);  // the drawn fields are no schema's
  FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  const std::unique_ptr<CNMessageBase> message = fuzztrees::DrawMessage(in);
  const std::string path = ScratchFolder() + "message.xml";
  Check(zyhost::WriteMessageXml(*message, path), "the message is written", input);
  const std::unique_ptr<CNMessageBase> back = zyhost::ReadMessageXml(path);
  Check(back != nullptr, "the file is read back", input);
  const std::string difference = fuzztrees::Difference(*message, *back, true);
  Check(difference.empty(), difference.c_str(), input);
}

const Harness kRows[] = {{"xml_reader", XmlReader}, {"xml_writer", XmlWriter}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzzsupport::RunHarness(kRows, TSM_FUZZ_HARNESS, data, size);
}
