// The hand-over (WriteMessageXml: temporary file, fsync, rename) against a
// bare xmlTextWriter writing the same document straight to a file, on a
// reply read from a hand-over file (bench.sh gives a 2,000-node client
// list). Median of N writes each, alternating; the two files are compared.
//
//   handover_bench REPLY.xml [RUNS]     (default 20)
//
// Prints one line: "handover_ms <median> bare_ms <median> speed <bare/handover> same <yes|no>".
#include <libxml/xmlwriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/HandOver.h"
#include "host/MessageSchema.h"

namespace {

using Clock = std::chrono::steady_clock;

const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

void BareMessage(xmlTextWriterPtr w, const CNMessageBase& m);

void BareField(xmlTextWriterPtr w, const CNMessageBase& m, const CNMessageBase::Field& f) {
  xmlTextWriterStartElement(w, X("field"));
  xmlTextWriterWriteAttribute(w, X("index"), X(std::to_string(f.index)));
  xmlTextWriterWriteAttribute(w, X("id"), X(std::to_string(f.id)));
  std::string name = MessageFieldName(m.group(), m.classId(), f.index, f.id);
  if (!name.empty()) xmlTextWriterWriteAttribute(w, X("name"), X(name));
  xmlTextWriterWriteAttribute(w, X("kind"), X(FieldKindName(f.kind)));
  if (f.kind == FieldKind::kString) xmlTextWriterWriteString(w, X(f.text));
  if (f.kind == FieldKind::kInt64) xmlTextWriterWriteString(w, X(std::to_string(f.number)));
  if (f.kind == FieldKind::kObject && f.object()) BareMessage(w, *f.object());
  if (f.kind == FieldKind::kList && f.list()) {
    for (size_t i = 0; i < f.list()->size(); ++i) BareMessage(w, *f.list()->at(i));
  }
  auto items = [w](const auto* values) {
    if (values == nullptr) return;
    for (auto v : *values) xmlTextWriterWriteElement(w, X("item"), X(std::to_string(v)));
  };
  if (f.kind == FieldKind::kIntList) items(f.ints());
  if (f.kind == FieldKind::kULongList) items(f.ulongs());
  xmlTextWriterFullEndElement(w);
}

void BareMessage(xmlTextWriterPtr w, const CNMessageBase& m) {
  xmlTextWriterStartElement(w, X("message"));
  std::string type = MessageTypeName(m.group(), m.classId());
  if (!type.empty()) xmlTextWriterWriteAttribute(w, X("type"), X(type));
  xmlTextWriterWriteAttribute(w, X("group"), X(std::to_string(m.group())));
  xmlTextWriterWriteAttribute(w, X("class"), X(std::to_string(m.classId())));
  for (const auto& field : m.fields()) BareField(w, m, field);
  xmlTextWriterEndElement(w);
}

double BareWrite(const CNMessageBase& m, const std::string& path) {
  auto start = Clock::now();
  xmlTextWriterPtr w = xmlNewTextWriterFilename(path.c_str(), 0);
  xmlTextWriterSetIndent(w, 1);
  xmlTextWriterSetIndentString(w, X("  "));
  xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr);
  BareMessage(w, m);
  xmlTextWriterEndDocument(w);
  xmlFreeTextWriter(w);
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double HandOverWrite(const CNMessageBase& m, const std::string& path) {
  auto start = Clock::now();
  if (!zyhost::WriteMessageXml(m, path)) std::fprintf(stderr, "handover_bench: write failed\n");
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: handover_bench REPLY.xml [RUNS]\n");
    return 2;
  }
  int runs = argc > 2 ? std::atoi(argv[2]) : 20;
  std::unique_ptr<CNMessageBase> message = zyhost::ReadMessageXml(argv[1]);
  if (!message) {
    std::fprintf(stderr, "handover_bench: cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string out = std::string(argv[1]) + ".bench";
  std::vector<double> handOver, bare;
  for (int i = 0; i < runs; ++i) {
    handOver.push_back(HandOverWrite(*message, out + ".handover"));
    bare.push_back(BareWrite(*message, out + ".bare"));
  }
  bool same = Slurp(out + ".handover") == Slurp(out + ".bare");
  std::remove((out + ".handover").c_str());
  std::remove((out + ".bare").c_str());
  double h = Median(handOver), b = Median(bare);
  std::printf("handover_ms %.2f bare_ms %.2f speed %.2f same %s\n", h, b, h > 0 ? b / h : 0,
              same ? "yes" : "no");
  return 0;
}
