// The splitting rules of dsmadmc output, each through the function named
// for what it splits.
#include "handler/Splitting.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;
using Split = std::function<Pieces(const std::string&)>;

// A function that fills a vector, run on one that holds stale pieces.
Split Filling(void (*split)(const std::string&, Pieces&)) {
  return [split](const std::string& text) {
    Pieces pieces = {"stale", "", "pieces", "of", "a", "longer", "line"};
    split(text, pieces);
    return pieces;
  };
}

TEST(SplittingTest, EveryRule) {
  const Split query = Filling(tsmsplit::SplitQueryLine);
  const Split select = Filling(tsmsplit::SplitSelectLine);
  const Split objects = tsmsplit::SplitScheduleObjects;
  const Split nodes = tsmsplit::SplitAssociationNodes;
  const Split nodeObjects = tsmsplit::SplitNodeScheduleObjects;
  const struct {
    const char* rule;
    const Split& split;
    std::string text;
    Pieces expected;
  } cases[] = {
      {"query", query, R"("NODE1","Linux","a,b",5)", {"NODE1", "Linux", "a,b", "5"}},
      {"query", query, "a,", {"a", ""}},
      {"query", query, "", {}},
      {"query", query, R"("say ""hi""",x)", {"say \"hi\"", "x"}},
      {"query", query, R"("open,to end)", {"open,to end"}},
      {"query", query, R"("a"b,c)", {"ab", "c"}},
      {"query", query, R"(x"y,z")", {"x\"y", "z\""}},
      {"select", select, R"(LIB1,C:\dir\file,"q,r",)", {"LIB1", "C:\\dir\\file", "\"q", "r\"", ""}},
      {"schedule objects", objects, R"(C:\x "C:\P F"  /h )", {"C:\\x", "C:\\P F", "/h"}},
      {"schedule objects", objects, "/a,b\t/c", {"/a,b\t/c"}},
      {"schedule objects", objects, R"("" "")", {}},
      {"association nodes", nodes, R"(NODE1  "NODE A" )", {"NODE1", "NODE A"}},
      {"node objects", nodeObjects, "/home /data,,/e,\t/f ", {"/home", "/data", "/e", "/f"}},
      {"node objects", nodeObjects, R"("/a,b",/c)", {"/a,b", "/c"}},
      {"node objects", nodeObjects, R"("/unterminated, quote)", {"/unterminated, quote"}},
      {"node objects", nodeObjects, R"(/a"b c")", {"/a\"b", "c\""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.rule) + " [" + c.text + "]");
    EXPECT_EQ(c.expected, c.split(c.text));
  }
}

// The bounded split keeps the plain rule's first pieces and its count,
// quoted separators past the kept pieces included.
TEST(SplittingTest, BoundedSplitKeepsTheFirstPiecesAndTheCount) {
  const struct {
    std::string text;
    size_t keep;
    Pieces expected;
    size_t count;
  } cases[] = {
      {"a,b,c,", 2, {"a", "b"}, 4},           {"a,b", 5, {"a", "b"}, 2},           {"", 3, {}, 0},
      {R"(a,"x,y",z,"p,""q",)", 1, {"a"}, 5}, {R"(a,"unclosed,b,c)", 1, {"a"}, 2}, {"a,b", 0, {}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("[" + c.text + "] keep " + std::to_string(c.keep));
    Pieces pieces = {"stale", "pieces"};
    EXPECT_EQ(c.count, tsmsplit::SplitLineBounded(c.text, ',', '"', c.keep, pieces));
    EXPECT_EQ(c.expected, pieces);
    Pieces plain;
    tsmsplit::SplitLine(c.text, ',', '"', plain);
    EXPECT_EQ(c.count, plain.size());
  }
}

}  // namespace
