#include "host/HandOver.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <sys/stat.h>

#include <climits>
#include <set>
#include <thread>
#include <typeinfo>
#include <vector>

#include "host/Messages.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ListDir;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// Restores the hand-over directory after a test.
class ScopedHandOverDirectory {
 public:
  explicit ScopedHandOverDirectory(const std::string& dir) : old_(zyhost::HandOverDirectory()) {
    zyhost::SetHandOverDirectory(dir);
  }
  ~ScopedHandOverDirectory() { zyhost::SetHandOverDirectory(old_); }

 private:
  std::string old_;
};

// Field-by-field equality, dynamic types included; the first difference
// goes into *why.
bool SameMessage(const CNMessageBase& a, const CNMessageBase& b, std::string* why) {
  if (typeid(a) != typeid(b) || a.group() != b.group() || a.classId() != b.classId()) {
    *why = "type differs at " + std::to_string(a.group()) + "." + std::to_string(a.classId());
    return false;
  }
  if (a.fields().size() != b.fields().size()) {
    *why = "field count differs";
    return false;
  }
  for (const auto& entry : a.fields()) {
    const CNMessageBase::Field& fa = entry.second;
    const CNMessageBase::Field* fb = b.findField(entry.first);
    std::string where = "field " + std::to_string(entry.first);
    if (fb == nullptr || fa.id != fb->id || fa.kind != fb->kind || fa.text != fb->text ||
        fa.number != fb->number) {
      *why = where + " differs";
      return false;
    }
    if ((fa.ints && *fa.ints != *fb->ints) || (fa.ulongs && *fa.ulongs != *fb->ulongs)) {
      *why = where + " items differ";
      return false;
    }
    if (fa.object && !SameMessage(*fa.object, *fb->object, why)) return false;
    if (fa.list) {
      if (fa.list->size() != fb->list->size()) {
        *why = where + " list size differs";
        return false;
      }
      for (size_t i = 0; i < fa.list->size(); ++i) {
        if (!SameMessage(*fa.list->at(i), *fb->list->at(i), why)) return false;
      }
    }
  }
  return true;
}

FDC::ExternalNBUConfig EveryKind() {
  FDC::ExternalNBUConfig m;
  m.setstring(5, 17, "/opt/tivoli/tsm/client/ba/bin");
  m.setstring(1, 1, "");
  m.setint64(16, 58, LLONG_MIN);
  m.setint64(17, 59, LLONG_MAX);
  std::vector<int>* ints = *m.getlistint(20, 62, true);
  *ints = {0, -1, INT_MIN, INT_MAX};
  std::vector<unsigned long> ulongs = {0, ULONG_MAX};
  m.setlistulong(24, 75, &ulongs);
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

TEST(HandOverTest, FileNames) {
  FDC::DiscoveryError known;
  CNMessageBase unknownClass(32, 99999);
  CNMessageBase unknownGroup(77, 1);
  struct Case {
    unsigned number;
    const char* tag;
    const CNMessageBase* message;
    const char* expected;
  } cases[] = {
      {1, "", &known, "000001-FDC.DiscoveryError.xml"},
      {4, "sent", &known, "000004-sent-FDC.DiscoveryError.xml"},
      {12, "", &unknownClass, "000012-32.99999.xml"},
      {3, "sent", &unknownGroup, "000003-sent-77.1.xml"},
      {1234567, "", &known, "1234567-FDC.DiscoveryError.xml"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(zyhost::HandOverFileName(c.number, c.tag, *c.message), c.expected);
  }
}

TEST(HandOverTest, SequenceIsUniqueAcrossThreads) {
  zyhost::ResetHandOverSequence();
  EXPECT_EQ(zyhost::NextHandOverNumber(), 1u);
  EXPECT_EQ(zyhost::NextHandOverNumber(), 2u);
  zyhost::ResetHandOverSequence();

  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::vector<unsigned>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&seen, t] {
      for (int i = 0; i < kEach; ++i) seen[t].push_back(zyhost::NextHandOverNumber());
    });
  }
  for (auto& t : threads) t.join();
  std::set<unsigned> all;
  for (const auto& v : seen) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kEach));
  EXPECT_EQ(*all.begin(), 1u);
  EXPECT_EQ(*all.rbegin(), static_cast<unsigned>(kThreads * kEach));
  zyhost::ResetHandOverSequence();
}

TEST(HandOverTest, EveryFieldKindRoundTrips) {
  TempDir dir;
  FDC::ExternalNBUConfig original = EveryKind();
  ASSERT_TRUE(zyhost::WriteMessageXml(original, dir.file("m.xml")));
  std::unique_ptr<CNMessageBase> back = zyhost::ReadMessageXml(dir.file("m.xml"));
  ASSERT_NE(back, nullptr) << ReadFile(dir.file("m.xml"));
  std::string why;
  EXPECT_TRUE(SameMessage(original, *back, &why)) << why << "\n" << ReadFile(dir.file("m.xml"));
  EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"m.xml"}) << "no temporary file is left";
}

// XPath count over a file; -1 when the file does not parse.
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

TEST(HandOverTest, RawLayout) {
  TempDir dir;
  std::string path = dir.file("m.xml");
  ASSERT_TRUE(zyhost::WriteMessageXml(EveryKind(), path));
  std::string xml = ReadFile(path);
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<message type=\"FDC::ExternalNBUConfig\" "
                      "group=\"32\" class=\"74\">\n",
                      0),
            0u)
      << xml;
  EXPECT_NE(xml.find("\n  <field index=\"17\" id=\"59\" name=\"field59\" kind=\"int64\">9223372036854775807"
                     "</field>\n"),
            std::string::npos)
      << xml;

  struct Check {
    const char* expression;
    double expected;
  } checks[] = {
      {"count(/message/field)", 10},
      // Ascending index order.
      {"count(/message/field[1][@index='1'])", 1},
      {"count(/message/field[last()][@index='31'])", 1},
      {"count(/message/field[@index='5'][@name='binaryPath'][@kind='string'])", 1},
      // Names and types are left out where the schema knows none.
      {"count(/message/field[@index='30'][@name])", 0},
      {"count(//message[@group='99'][@type])", 0},
      {"count(/message/field[@index='30'][@kind='object']/message[@type='FDC::DiscoveryError'])", 1},
      {"count(/message/field[@index='31'][@kind='list']/message)", 2},
      {"count(/message/field[@index='20'][@kind='intlist']/item)", 4},
      {"number(/message/field[@index='20']/item[3])", INT_MIN},
      {"count(/message/field[@index='24'][@kind='ulonglist']/item)", 2},
  };
  for (const Check& c : checks) {
    EXPECT_EQ(XPathNumber(path, c.expression), c.expected) << c.expression;
  }
}

TEST(HandOverTest, TextIsEscapedAndKeptWhole) {
  struct Case {
    const char* name;
    std::string input;
    std::string readBack;
  } cases[] = {
      {"markup", "<a & \"b\" 'c'> ]]>", "<a & \"b\" 'c'> ]]>"},
      {"utf8",
       "Gr\xC3\xBC\xC3\x9F"
       "e \xE2\x9C\x93 \xF0\x9D\x84\x9E",
       "Gr\xC3\xBC\xC3\x9F"
       "e \xE2\x9C\x93 \xF0\x9D\x84\x9E"},
      {"white space", "  a\tb\r\nc\rd  \n", "  a\tb\r\nc\rd  \n"},
      {"blank only", " \n\t", " \n\t"},
      {"latin-1", "caf\xE9 \xC4rger", "caf\xC3\xA9 \xC3\x84rger"},
      {"truncated sequence", "ab\xC3", "ab\xC3\x83"},
      {"overlong slash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
      {"noncharacter", "\xEF\xBF\xBF", "\xC3\xAF\xC2\xBF\xC2\xBF"},
      {"controls", std::string("a\x01\x1B", 3) + std::string(1, '\0') + "\x7F",
       "a\xE2\x90\x81\xE2\x90\x9B\xE2\x90\x80\x7F"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CNMessageBase m(32, 56);
    m.setstring(6, 9, c.input);
    std::string path = dir.file("text.xml");
    ASSERT_TRUE(zyhost::WriteMessageXml(m, path));
    std::unique_ptr<CNMessageBase> back = zyhost::ReadMessageXml(path);
    ASSERT_NE(back, nullptr) << ReadFile(path);
    EXPECT_EQ(back->getstring(6, 9), c.readBack) << ReadFile(path);
    // An independent parser agrees that the file is well-formed.
    EXPECT_EQ(XPathNumber(path, "count(/message/field)"), 1);
  }
}

TEST(HandOverTest, FailedWriteLeavesNoFile) {
  TempDir dir;
  WriteFile(dir.file("plain"), "x");
  testsupport::RemoveTree(dir.file("missing"));
  ASSERT_EQ(::mkdir(dir.file("taken").c_str(), 0755), 0);
  FDC::DiscoveryError m;
  const std::string paths[] = {
      dir.file("plain/m.xml"),    // parent is a regular file
      dir.file("missing/m.xml"),  // parent does not exist
      dir.file("taken"),          // a directory is in the way of the rename
      "/proc/self/m.xml",         // no files can be created here, not even by root
      "",
  };
  for (const std::string& path : paths) {
    EXPECT_FALSE(zyhost::WriteMessageXml(m, path)) << path;
  }
  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"plain", "taken"}));
  EXPECT_TRUE(ListDir(dir.file("taken")).empty());
}

TEST(HandOverTest, RewriteReplacesWholeFile) {
  TempDir dir;
  std::string path = dir.file("m.xml");
  WriteFile(path, std::string(100000, 'x'));
  ASSERT_TRUE(zyhost::WriteMessageXml(FDC::DiscoveryError(), path));
  std::unique_ptr<CNMessageBase> back = zyhost::ReadMessageXml(path);
  ASSERT_NE(back, nullptr);
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(back.get()), nullptr);
  EXPECT_LT(ReadFile(path).size(), 200u);
}

TEST(HandOverTest, ReadRejectsWhatTheWriterNeverWrites) {
  const char* kHead = "<?xml version=\"1.0\"?>\n";
  struct Case {
    const char* name;
    std::string content;
  } cases[] = {
      {"empty file", ""},
      {"not xml", "hello"},
      {"unclosed", "<message group=\"1\" class=\"2\">"},
      {"other root", "<msg group=\"1\" class=\"2\"/>"},
      {"no group", "<message class=\"2\"/>"},
      {"bad group", "<message group=\"x\" class=\"2\"/>"},
      {"unknown kind",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" kind=\"blob\"/></message>"},
      {"bad int64",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" kind=\"int64\">12x</field></message>"},
      {"int64 overflow",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" "
       "kind=\"int64\">9223372036854775808</field>"
       "</message>"},
      {"negative ulong",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" "
       "kind=\"ulonglist\"><item>-1</item></field>"
       "</message>"},
      {"int out of range",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" kind=\"intlist\"><item>2147483648</item>"
       "</field></message>"},
      {"duplicate index",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" kind=\"string\">a</field>"
       "<field index=\"1\" id=\"2\" kind=\"string\">b</field></message>"},
      {"empty object",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" kind=\"object\"/></message>"},
      {"stray text", "<message group=\"1\" class=\"2\">text</message>"},
      {"element in string",
       "<message group=\"1\" class=\"2\"><field index=\"1\" id=\"1\" kind=\"string\"><b/></field></message>"},
      {"entity",
       "<!DOCTYPE message [<!ENTITY e \"boom\">]><message group=\"1\" class=\"2\">"
       "<field index=\"1\" id=\"1\" kind=\"string\">&e;</field></message>"},
      {"second root", "<message group=\"1\" class=\"2\"/><message group=\"1\" class=\"2\"/>"},
  };
  TempDir dir;
  EXPECT_EQ(zyhost::ReadMessageXml(dir.file("none.xml")), nullptr);
  EXPECT_EQ(zyhost::ReadMessageXml(dir.path()), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir.file("bad.xml"), kHead + c.content);
    EXPECT_EQ(zyhost::ReadMessageXml(dir.file("bad.xml")), nullptr);
  }
  WriteFile(dir.file("ok.xml"), std::string(kHead) + "<!-- note -->\n<message group=\"1\" class=\"2\"/>\n");
  EXPECT_NE(zyhost::ReadMessageXml(dir.file("ok.xml")), nullptr);
}

}  // namespace
