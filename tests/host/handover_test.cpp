#include "host/HandOver.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "host/MessageSchema.h"
#include "host/Messages.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ListDir;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

FDC::ExternalNBUConfig EveryKind() {
  FDC::ExternalNBUConfig m;
  m.setstring(5, 17, "/opt/tivoli/tsm/client/ba/bin");
  m.setstring(1, 1, "");
  m.setint64(16, 58, LLONG_MIN);
  m.setint64(17, 59, LLONG_MAX);
  **m.getlistint(20, 62, true) = {0, -1, INT_MIN, INT_MAX};
  **m.getlistulong(24, 75, true) = {0, ULONG_MAX};
  m.getlistint(21, 63, true);  // an empty list stays a list
  m.getlistobject(22, 64, true);
  CNMessageBase* nested = *m.getObjectAccessor(true, true, 30, 90, 32, 56);
  nested->setstring(6, 9, "nested");
  (*nested->getlistobject(7, 10, true))->Append(CNMessageBase(99, 98))->setint64(1, 1, 5);
  CNMessageList* list = *m.getlistobject(31, 91, true);
  list->Append(FDC::DiscoveryError())->setint64(5, 8, 2);
  list->Append(FDC::DiscoveryError());  // no fields at all
  return m;
}

// XPath number over a file, parsed by libxml2 itself; -1 when it does not parse.
double XPathNumber(const std::string& path, const std::string& expression) {
  xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
  if (doc == nullptr) return -1;
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
  xmlXPathObjectPtr result =
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), ctx);
  double value = result != nullptr ? xmlXPathCastToNumber(result) : -1;
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(ctx);
  xmlFreeDoc(doc);
  return value;
}

// Known classes are named by the handler base's sequence test.
TEST(HandOverTest, UnknownClassIsNamedByItsNumbers) {
  EXPECT_EQ(zyhost::HandOverFileName(3, "sent", CNMessageBase(77, 1)), "000003-sent-77.1.xml");
}

TEST(HandOverTest, EveryFieldKindRoundTrips) {
  ScopedSchemaCheckMode anyField(SchemaCheckMode::kOff);  // the format, not the schema, is under test
  TempDir dir;
  ASSERT_TRUE(zyhost::WriteMessageXml(EveryKind(), dir.file("m.xml")));
  std::unique_ptr<CNMessageBase> back = zyhost::ReadMessageXml(dir.file("m.xml"));
  ASSERT_NE(back, nullptr) << ReadFile(dir.file("m.xml"));
  // Read back, written again: the same text, so no field, kind or value is lost.
  ASSERT_TRUE(zyhost::WriteMessageXml(*back, dir.file("again.xml")));
  EXPECT_EQ(ReadFile(dir.file("again.xml")), ReadFile(dir.file("m.xml")));
  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"again.xml", "m.xml"})) << "no temporary file";
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(*back->getObjectAccessor(true, false, 30, 90, 0, 0)), nullptr);
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>((*back->getlistobject(31, 91, false))->at(1)), nullptr);

  // The layout, as an independent parser sees it.
  std::string path = dir.file("m.xml"), xml = ReadFile(path);
  EXPECT_EQ(0u, xml.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<message ")) << xml;
  const std::pair<const char*, double> checks[] = {
      {"count(/message[@type='FDC::ExternalNBUConfig'][@group='32'][@class='74']/field)", 10},
      {"count(/message/field[@index='5'][@name='binaryPath'][@kind='string'])", 1},
      {"count(/message/field[@index='30'][@name])", 0},  // no name or type where the schema has none
      {"count(/message/field[@index='30'][@kind='object']/message[@type='FDC::DiscoveryError'])", 1},
      {"count(/message/field[@index='31'][@kind='list']/message)", 2},
      {"count(/message/field[@index='20'][@kind='intlist']/item)", 4},
      {"number(/message/field[@index='20']/item[3])", INT_MIN},
  };
  for (const auto& c : checks) EXPECT_EQ(XPathNumber(path, c.first), c.second) << c.first;
}

// The layout readers of the files have always seen (libxml2's indenting
// writer): text closes on its line, elements close on their own, an empty
// message closes itself, an empty field does not.
TEST(HandOverTest, LayoutIsStable) {
  ScopedSchemaCheckMode anyField(SchemaCheckMode::kOff);
  FDC::DiscoveryError m;
  m.setstring(6, 9, "a<\r");
  m.getlistobject(7, 10, true);
  **m.getlistint(8, 11, true) = {-1};
  (*m.getlistobject(9, 12, true))->Append(CNMessageBase(99, 98));
  TempDir dir;
  ASSERT_TRUE(zyhost::WriteMessageXml(m, dir.file("m.xml")));
  EXPECT_EQ(
      ReadFile(dir.file("m.xml")),
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<message type=\"FDC::DiscoveryError\" group=\"32\" class=\"56\">\n"
      "  <field index=\"6\" id=\"9\" name=\"errorText\" kind=\"string\">a&lt;&#13;</field>\n"
      "  <field index=\"7\" id=\"10\" kind=\"list\"></field>\n"
      "  <field index=\"8\" id=\"11\" kind=\"intlist\">\n    <item>-1</item>\n  </field>\n"
      "  <field index=\"9\" id=\"12\" kind=\"list\">\n    <message group=\"99\" class=\"98\"/>\n  </field>\n"
      "</message>\n");
}

TEST(HandOverTest, TextIsEscapedAndKeptWhole) {
  const std::pair<std::string, std::string> cases[] = {
      {"<a & \"b\" 'c'> ]]>", "<a & \"b\" 'c'> ]]>"},
      {"\xC3\xBC\xC3\x9F \xE2\x9C\x93 \xF0\x9D\x84\x9E", "\xC3\xBC\xC3\x9F \xE2\x9C\x93 \xF0\x9D\x84\x9E"},
      {"  a\tb\r\nc\rd  \n", "  a\tb\r\nc\rd  \n"},
      {" \n\t", " \n\t"},
      // Bytes that are not UTF-8 are read as Latin-1.
      {"caf\xE9 \xC4rger", "caf\xC3\xA9 \xC3\x84rger"},
      {"ab\xC3", "ab\xC3\x83"},                                                          // truncated sequence
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                                  // overlong slash
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},                                      // surrogate
      {"\xEF\xBF\xBF", "\xC3\xAF\xC2\xBF\xC2\xBF"},                                      // noncharacter
      {std::string("a\x01\x1B\0\x7F", 5), "a\xE2\x90\x81\xE2\x90\x9B\xE2\x90\x80\x7F"},  // controls
  };
  TempDir dir;
  std::string path = dir.file("text.xml");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    CNMessageBase m(32, 56);
    m.setstring(6, 9, c.first);
    ASSERT_TRUE(zyhost::WriteMessageXml(m, path));
    std::unique_ptr<CNMessageBase> back = zyhost::ReadMessageXml(path);
    ASSERT_NE(back, nullptr) << ReadFile(path);
    EXPECT_EQ(back->getstring(6, 9), c.second) << ReadFile(path);
    EXPECT_EQ(XPathNumber(path, "count(/message/field)"), 1) << "well-formed for libxml2 too";
  }
}

TEST(HandOverTest, WritesWholeFilesOrNone) {
  TempDir dir;
  WriteFile(dir.file("plain"), "x");
  ASSERT_EQ(::mkdir(dir.file("taken").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(dir.file("plain").c_str(), dir.file("link").c_str()), 0);
  FDC::DiscoveryError m;
  const std::string paths[] = {
      dir.file("link"),           // renamed over regular files only
      dir.file("plain/m.xml"),    // parent is a regular file
      dir.file("missing/m.xml"),  // parent does not exist
      dir.file("taken"),          // a directory is in the way of the rename
      "/proc/self/m.xml",         // no files can be created here, not even by root
  };
  for (const std::string& path : paths) EXPECT_FALSE(zyhost::WriteMessageXml(m, path)) << path;
  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"link", "plain", "taken"}));
  EXPECT_EQ(ReadFile(dir.file("link")), "x");
  EXPECT_TRUE(ListDir(dir.file("taken")).empty());

  WriteFile(dir.file("m.xml"), std::string(100000, 'x'));
  ASSERT_TRUE(zyhost::WriteMessageXml(m, dir.file("m.xml")));
  EXPECT_LT(ReadFile(dir.file("m.xml")).size(), 200u) << "a rewrite replaces the whole file";
}

}  // namespace
