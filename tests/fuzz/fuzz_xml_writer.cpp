// The hand-over writer on message trees drawn from the input, strings of
// any bytes included: the file must be written, read back, and equal the
// tree with each string as HandOverText gives it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>

#include "host/HandOver.h"
#include "host/MessageSchema.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/MessageTrees.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  SetSchemaCheckMode(SchemaCheckMode::kOff);  // the drawn fields are no schema's
  const std::string input = fuzzsupport::AsString(data, size);
  FuzzedDataProvider in(data, size);
  const std::unique_ptr<CNMessageBase> message = fuzztrees::DrawMessage(in);

  const std::string path = fuzzsupport::ScratchFolder() + "message.xml";
  Check(zyhost::WriteMessageXml(*message, path), "the message is written", input);
  const std::unique_ptr<CNMessageBase> back = zyhost::ReadMessageXml(path);
  Check(back != nullptr, "the file is read back", input);
  const std::string difference = fuzztrees::Difference(*message, *back, true);
  Check(difference.empty(), difference.c_str(), input);
  return 0;
}
