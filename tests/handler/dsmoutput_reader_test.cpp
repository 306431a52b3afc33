// The dsmadmc output reader over the files real clients write: records,
// not lines, for each banner level, echo form, message position and
// layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

const char kBanner81[] =
    "IBM Spectrum Protect\n"
    "Command Line Administrative Interface - Version 8, Release 1, Level 8.0\n"
    "(c) Copyright by IBM Corporation and other(s) 1990, 2019. All Rights Reserved.\n"
    "\n"
    "Session established with server VEGA: Linux/x86_64\n"
    "  Server Version 8, Release 1, Level 5.107\n"
    "  Server date/time: 09/03/2020 10:06:11  Last access: 09/03/2020 10:06:00\n"
    "\n"
    "ANS8000I Server command: 'select a, b from t'.\n";
const char kBanner5[] =
    "Tivoli Storage Manager\n"
    "Command Line Administrative Interface - Version 5, Release 5, Level 0.0\n"
    "(c) Copyright by IBM Corporation and other(s) 1990, 2007. All Rights Reserved.\n"
    "\n"
    "Session established with server VEGA: AIX-RS/6000\n"
    "  Server Version 5, Release 5, Level 0.0\n"
    "  Server date/time: 09/03/2009 10:06:11  Last access: 09/03/2009 10:06:00\n"
    "\n"
    "ANS8000I Server command: 'select a, b from t'\n";
const char kBannerNewest[] =
    "IBM Storage Protect\n"
    "Command Line Administrative Interface - Version 8, Release 1, Level 23.0\n"
    "(C) Copyright IBM Corporation 1990, 2024. All Rights Reserved.\n"
    "\n"
    "Session established with server VEGA: Linux/x86_64\n"
    "  Server Version 8, Release 1, Level 23.000\n"
    "  Server date/time: 06/03/2024 10:06:11  Last access: 06/03/2024 10:06:00\n"
    "\n"
    "ANS8000I Server command: 'select a, b from t'.\n";
// The simulator's former four-line header.
const char kShort[] =
    "Storage Manager Command Line Administrative Interface - Version 8.1.12 (simulated)\n"
    "Session established with server VEGA: Linux/x86_64\n"
    "  Server Version 8, Release 1, Level 5.107\n"
    "ANS8000I Server command: 'select a, b from t'\n";
const char kEnd[] = "\nANS8002I Highest return code was 0.\n";

struct Case {
  const char* name;
  std::string text;
  DsmOutputLayout layout;
  Records expected;
};

TEST(DsmOutputReaderTest, RecordsOfRealClientFiles) {
  const Records ab = {{"a", "b"}, {"c", "d"}};
  const Case cases[] = {
      {"8.1 banner, select", std::string(kBanner81) + "a,b\nc,d\n" + kEnd, dsmlayout::kSelect, ab},
      {"5.x banner, echo without full stop", std::string(kBanner5) + "a,b\nc,d\n" + kEnd, dsmlayout::kSelect,
       ab},
      {"newest banner", std::string(kBannerNewest) + "a,b\nc,d\n" + kEnd, dsmlayout::kSelect, ab},
      {"short header", std::string(kShort) + "a,b\nc,d\n" + kEnd, dsmlayout::kSelect, ab},
      {"banner read from the first line", std::string(kBanner81) + "a,b\nc,d\n" + kEnd, dsmlayout::kDataOnly,
       ab},
      {"form A: the banner's blank lines do not end it", std::string(kBanner81) + "a,b\nc,d\n" + kEnd,
       dsmlayout::kFormA, ab},
      {"form A: an empty line after data ends it",
       std::string(kShort) + "a,b\n\nc,d\n",
       dsmlayout::kFormA,
       {{"a", "b"}}},
      {"messages before, among and after the data",
       std::string(kBanner81) +
           "ANR0102W Some warning, with a comma.\na,b\nANR9999D x,y,z\nc,d\n"
           "ANS8001I Return code 11.\n" +
           kEnd,
       dsmlayout::kSelect, ab},
      {"no match",
       std::string(kBanner81) + "ANR2034E SELECT: No match found using this criteria.\n"
                                "ANS8001I Return code 11.\n\nANS8002I Highest return code was 11.\n",
       dsmlayout::kSelect,
       {}},
      {"-dataonly=yes with a closing message", "a,b\nc,d\nANS8001I Return code 11.\n", dsmlayout::kDataOnly,
       ab},
      {"CRLF",
       "IBM Spectrum Protect\r\nCommand Line Administrative Interface - Version 8, Release 1\r\n"
       "(c) Copyright\r\n\r\nSession established with server VEGA: Linux/x86_64\r\n\r\n"
       "ANS8000I Server command: 'q'.\r\na,b\r\nc,d\r\n\r\nANS8002I Highest return code was 0.\r\n",
       dsmlayout::kSelect, ab},
      {"wrapped echo", std::string(kShort) + "ANS8000I Server command: 'select a,\nb, c from t'.\na,b\nc,d\n",
       dsmlayout::kDataOnly, ab},
      {"an echo in the header wrapped past it",
       "h1\nh2\nh3\nANS8000I Server command: 'select a,\nb from t'\na,b\nc,d\n", dsmlayout::kSelect, ab},
      {"node rule: data first", "a,b\nc,d\n", dsmlayout::kNodeQuery, ab},
      {"node rule: old header", std::string(kShort) + "a,b\nc,d\n", dsmlayout::kNodeQuery, ab},
      {"the defined drop takes what stands there", "a,b\nc,d\n1\n2\ne,f\n", dsmlayout::kFormA, {{"e", "f"}}},
      {"a message-like word is data",
       "ANR1234 is not a message,x\nANS12345E too long,y\n",
       dsmlayout::kDataOnly,
       {{"ANR1234 is not a message", "x"}, {"ANS12345E too long", "y"}}},
      {"banner words after data are data",
       "a,b\nSession established with server X,y\n",
       dsmlayout::kDataOnly,
       {{"a", "b"}, {"Session established with server X", "y"}}},
      {"empty file", "", dsmlayout::kSelect, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, DsmOutputRecords(c.text, c.layout, tsmsplit::SplitSelectLine))
        << c.name << "\n---\n"
        << c.text << "---";
  }
}

TEST(DsmOutputReaderTest, MessageLines) {
  for (const char* line : {"ANR2034E SELECT: No match", "ANS8002I Highest", "ANR0000D", "ANS1017E x"}) {
    EXPECT_TRUE(IsDsmMessageLine(line)) << line;
  }
  for (const char* line :
       {"ANX2034E x", "ANR203E x", "ANR2034e x", "ANR2034EX", " ANR2034E x", "ANR2034E,x"}) {
    EXPECT_FALSE(IsDsmMessageLine(line)) << line;
  }
}

}  // namespace
