#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "services/OnlineConfig.h"
#include "services/WebLinks.h"

namespace {

std::string WriteFile(const std::string& Name, const std::string& Text) {
  const std::string Path = std::string(TB_BINARY_DIR) + "/" + Name;
  std::ofstream(Path, std::ios::binary) << Text;
  return Path;
}

}  // namespace

TEST(WebLinks, ExitLinkOpensTheAddressOnTheUrlLine) {
  struct Case {
    const char* Name;
    std::string Text;
    std::vector<std::string> Opened;
  };
  const std::vector<Case> Cases = {
      {"Windows shortcut",
       "[InternetShortcut]\r\nURL=http://tallowbrackles.example/play\r\n",
       {"http://tallowbrackles.example/play"}},
      {"other lines first, key in any case",
       "[InternetShortcut]\nIDList=\nurl = https://x.example/a?b=c \nIconIndex=1\n",
       {"https://x.example/a?b=c"}},
      {"no URL line", "[InternetShortcut]\nIconFile=x.ico\n", {}},
      {"empty URL", "[InternetShortcut]\nURL=\n", {}},
      {"empty file", "", {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Path = WriteFile("weblinks_test.url", C.Text);
    TFakeShell Shell;
    OpenExitLink(Shell, Path);
    std::remove(Path.c_str());
    EXPECT_EQ(Shell.Opened, C.Opened);
  }
}

TEST(WebLinks, MissingShortcutOpensNothing) {
  TFakeShell Shell;
  OpenExitLink(Shell, "no/such/play.url");
  OpenWebPage(Shell, "");
  EXPECT_TRUE(Shell.Opened.empty());
  OpenWebPage(Shell, "http://tallowbrackles.example/");
  EXPECT_EQ(Shell.Opened, (std::vector<std::string>{"http://tallowbrackles.example/"}));
}

TEST(OnlineConfig, DefaultsGiveTheSiteAddresses) {
  std::ostringstream Errors;
  const TOnlineConfig C = LoadOnlineConfig("no/such/Online.ini", Errors);
  EXPECT_EQ(C.Host, "tallowbrackles.example");
  EXPECT_EQ(C.Key, "T");
  EXPECT_EQ(C.Alphabet, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567");
  EXPECT_EQ(C.HomeUrl(), "http://tallowbrackles.example/");
  EXPECT_EQ(C.WorldTableUrl(),
            "http://tallowbrackles.example/cgi/version.pl?prg=Tallowbrackle&type=0&show");
  EXPECT_EQ(Errors.str(), "") << "a missing file is not an error";
}

TEST(OnlineConfig, GoodLinesOverrideAndEachBadLineIsReportedOnce) {
  const std::string Path = WriteFile("online_test.ini",
                                     "# the test server\n"
                                     "[online]\n"
                                     "host = scores.example.org\n"
                                     "port=8080\n"
                                     "key=Q\n"
                                     "alphabet=0123456789abcdefghijklmnopqrstuv\n"
                                     "home=https://home.example/\n"
                                     "\n"
                                     "port=99999\n"  // 3: out of range
                                     "key=qq\n"      // 4: not one capital
                                     "alphabet=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"  // 5
                                     "home=ftp://x\n"   // 6: not a web address
                                     "host=bad host\n"  // 7
                                     "colour=blue\n"    // 8: unknown key
                                     "just words\n");   // 9: no '='
  std::ostringstream Errors;
  const TOnlineConfig C = LoadOnlineConfig(Path, Errors);
  std::remove(Path.c_str());
  EXPECT_EQ(C.Host, "scores.example.org");
  EXPECT_EQ(C.Port, 8080);
  EXPECT_EQ(C.Key, "Q");
  EXPECT_EQ(C.Alphabet, "0123456789abcdefghijklmnopqrstuv");
  EXPECT_EQ(C.HomeUrl(), "https://home.example/");
  EXPECT_EQ(C.WorldTableUrl(),
            "http://scores.example.org:8080/cgi/version.pl?prg=Tallowbrackle&type=0&show");
  std::vector<std::string> Lines;
  std::istringstream In(Errors.str());
  for (std::string L; std::getline(In, L);) Lines.push_back(L);
  ASSERT_EQ(Lines.size(), 7u) << Errors.str();
  EXPECT_NE(Lines[0].find("online_test.ini:9:"), std::string::npos) << Lines[0];
  EXPECT_NE(Lines[6].find("just words"), std::string::npos) << Lines[6];
}
