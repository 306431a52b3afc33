// The takeover page in a real browser: `demo --report`, then headless
// Chromium renders the page and dumps the DOM it built; every client, task
// and library and the job chart must be there. A screenshot goes into the
// build folder (report-screenshot.png) for a person to look at.
// Skips when Chromium is not installed (scripts/setup.sh installs it) and
// under the sanitizer build, where it would only add time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testsupport;

std::string FindChromium() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path == nullptr ? "/usr/bin" : path);
  for (std::string dir; std::getline(dirs, dir, ':');) {
    for (const char* name : {"chromium", "chromium-browser"}) {
      const std::string candidate = dir + "/" + name;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
  }
  return "";
}

bool SanitizerBuild() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#endif
#endif
  return false;
}

TEST(ReportBrowserTest, DemoPageRendersEveryClientTaskLibraryAndTheChart) {
  if (SanitizerBuild()) GTEST_SKIP() << "browser check skipped in the sanitizer build";
  const std::string chromium = FindChromium();
  if (chromium.empty())
    GTEST_SKIP() << "Chromium not found on PATH; scripts/setup.sh installs Debian's chromium";
  TempDir tmp;
  ProgramResult demo = RunProgram(
      {BinDir() + "/tsm-discover", "demo", "--out", tmp.file("out"), "--work", tmp.file("work"), "--report"});
  ASSERT_EQ(demo.status, 0) << demo.out << demo.err;
  const std::string page = tmp.file("out") + "/report.html";
  ASSERT_NE(demo.out.find("Report in " + page), std::string::npos) << demo.out;

  const std::vector<std::string> headless = {chromium, "--headless", "--no-sandbox", "--disable-gpu",
                                             "--user-data-dir=" + tmp.file("profile")};
  std::vector<std::string> dump = headless;
  dump.insert(dump.end(), {"--dump-dom", "file://" + page});
  ProgramResult dom = RunProgram(dump);
  ASSERT_EQ(dom.status, 0) << dom.err;
  // The sample site's names, as the text report lists them.
  ProgramResult text =
      RunProgram({BinDir() + "/tsm-discover", "report", "--replies", tmp.file("out"), "--text"});
  ASSERT_EQ(text.status, 0) << text.err;
  for (const char* name :
       {"APPSRV02", "DBAIX01", "FILESRV01", "LAB_01", "LABX01", "MAILSUN", "STUDIO-MAC", "VEGA", "WEB01",
        "STANDARD_DAILY_INCR_TSM_", "WINDOWS_WIN_QUARTER_TSM_", "LTOLIB1", "RSMLIB",
        "every 4 hours, weekdays, from 00:15", "yearly on the last Sunday of March"}) {
    EXPECT_NE(text.out.find(name), std::string::npos) << name;
    EXPECT_NE(dom.out.find(name), std::string::npos) << name;
  }
  EXPECT_NE(dom.out.find("<svg id=\"chart-all\""), std::string::npos);
  // The page opens with the takeover check, a verdict for each schedule.
  const size_t check = dom.out.find("<section id=\"takeover-check\"><h2>Takeover check</h2>");
  EXPECT_LT(check, dom.out.find("<section id=\"summary\">"));
  for (const char* verdict : {"STANDARD/MONTHLY_IMG</td><td class=\"bad\">differs",
                              "STANDARD/DAILY_INCR</td><td>same", "TAPEPOOL</td><td>merged into"})
    EXPECT_NE(dom.out.find(verdict, check), std::string::npos) << verdict;
  EXPECT_NE(dom.out.find("<rect"), std::string::npos);

  std::vector<std::string> shot = headless;
  const std::string png = std::string(TSM_BIN_DIR) + "/../report-screenshot.png";
  shot.insert(shot.end(), {"--window-size=1280,1600", "--screenshot=" + png, "file://" + page});
  ProgramResult s = RunProgram(shot);
  EXPECT_EQ(s.status, 0) << s.err;
  EXPECT_EQ(::access(png.c_str(), R_OK), 0) << png;
}

}  // namespace
