// The pages in a real browser (headless Chromium): the rows are there, names with markup
// characters and Latin-1 letters read as text, nothing is logged on the console, and screenshots
// at phone and desktop widths land in build/test-output for reviewers.
#include "ServiceFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

namespace fs = std::filesystem;

class BrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("command -v chromium > /dev/null 2>&1") != 0) {
            if (std::getenv("CI")) FAIL() << "chromium is not installed (scripts/setup.sh installs it)";
            GTEST_SKIP() << "chromium is not installed";
        }
        Dir = fs::temp_directory_path() / ("spraydash-browser-" + std::to_string(getpid()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        Out = fs::path(SPRAYDASH_BINARY_DIR) / "test-output";
        fs::create_directories(Out);
    }
    void TearDown() override { fs::remove_all(Dir); }

    // Runs the browser on url with extra switches in a fresh profile; stdout and stderr go to
    // files whose contents are returned.
    std::pair<std::string, std::string> Browse(const std::string& url, const std::string& extra) {
        fs::path profile = Dir / ("profile" + std::to_string(++Runs));
        fs::create_directories(profile);
        fs::path out = Dir / "out.txt", err = Dir / "err.txt";
        std::string cmd =
            "timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
            "--disable-background-networking --disable-component-update --disable-sync "
            "--enable-logging=stderr --v=0 --user-data-dir=" +
            profile.string() + " " + extra + " '" + url + "' > " + out.string() + " 2> " + err.string();
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        auto read = [](const fs::path& p) {
            std::ifstream in(p, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        };
        return {read(out), read(err)};
    }
    // The console lines of a browser log (the pages have no scripts, so any is a fault: a missing
    // picture, a style sheet error, ...).
    static std::string ConsoleLines(const std::string& log) {
        std::string found;
        size_t pos = 0;
        while ((pos = log.find(":CONSOLE", pos)) != std::string::npos) {
            size_t start = log.rfind('\n', pos);
            size_t end = log.find('\n', pos);
            found += log.substr(start == std::string::npos ? 0 : start + 1,
                                end - (start == std::string::npos ? 0 : start + 1)) +
                     "\n";
            pos = end;
        }
        return found;
    }

    fs::path Dir, Out;
    int Runs = 0;
};

TEST_F(BrowserTest, WorldPageAndSiteShowTheRowsAsTextWithoutConsoleErrors) {
    TServiceSettings unlimited;
    unlimited.SubmitsPerMinute = 0;
    // The access log shows what the browser fetched: every picture, font and the style sheet.
    FILE* accessLog = std::fopen((Dir / "access.log").c_str(), "w");
    ASSERT_NE(accessLog, nullptr);
    THttpSettings logged;
    logged.AccessLog = accessLog;
    TRunningService s((Dir / "scores.db").string(), unlimited, logged);
    ASSERT_TRUE(s.Started);
    struct Row {
        std::string name;
        int32_t score;
        std::string info;
    };
    const Row rows[] = {{"<i>Tom</i>", 9100, "a&b"},
                        {"Zo\xEB \xC5sa", 8200, "_______"},
                        {"\"Q\" & Co", 7300, "x<y"},
                        {"RIVER RAT!", 6400, "_______"},
                        {"M\xFCller", 5500,
                         "Gr\xFC\xDF"
                         "e"}};
    for (const Row& r : rows)
        ASSERT_EQ(Fetch(s.Port(), SubmitPath(CodeFor(r.name, r.score, r.info))).Status, 200);
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(Fetch(s.Port(), SubmitPath(CodeFor("P" + std::to_string(i), 100 + i))).Status, 200);
    const std::string base = "http://127.0.0.1:" + std::to_string(s.Port());
    const std::string world = base + kWorldPath;

    auto [dom, log] = Browse(world, "--dump-dom");
    // As text, the browser serialises < and & back as entities and the Latin-1 letters as UTF-8;
    // had a name been taken as markup, an <i> element would appear instead.
    for (const char* cell :
         {"<td class=\"name\">&lt;i&gt;Tom&lt;/i&gt;</td>", "<td class=\"info\">a&amp;b</td>",
          "<td class=\"name\">Zo\xC3\xAB \xC3\x85sa</td>", "<td class=\"name\">\"Q\" &amp; Co</td>",
          "<td class=\"name\">M\xC3\xBCller</td>",
          "<td class=\"info\">Gr\xC3\xBC\xC3\x9F"
          "e</td>",
          "<td class=\"rank\">35</td><td class=\"name\">P0</td>"})
        EXPECT_NE(dom.find(cell), std::string::npos) << cell << "\n" << dom;
    EXPECT_EQ(dom.find("<i>Tom"), std::string::npos);
    EXPECT_EQ(ConsoleLines(log), "");

    auto [site, siteLog] = Browse(base + "/", "--dump-dom");
    EXPECT_NE(site.find("<td class=\"name\">&lt;i&gt;Tom&lt;/i&gt;</td>"), std::string::npos) << site;
    EXPECT_NE(site.find("World high scores"), std::string::npos);
    EXPECT_EQ(ConsoleLines(siteLog), "");

    // Everything the pages need was fetched by the browser and found (a missing picture or font
    // shows only here: the console stays silent about it).
    std::fflush(accessLog);
    std::ifstream logIn(Dir / "access.log");
    std::string line, fetched;
    while (std::getline(logIn, line)) {
        if (line.find("/cgi/version.pl?hs&") != std::string::npos) continue; // the test's own submissions
        fetched += line + "\n";
        std::smatch m;
        if (std::regex_search(line, m, std::regex("\" ([0-9]{3}) "))) {
            EXPECT_TRUE(m[1] == "200" || m[1] == "304") << line;
        }
    }
    for (const char* file : {"site.css", "title.png", "boat1.png", "boat2.png", "boat3.png", "icon.png",
                             "screenshot-menu.png", "screenshot-race.png"}) {
        EXPECT_NE(fetched.find(std::string("\"GET /static/") + file + "\" 200 "), std::string::npos)
            << file << "\n"
            << fetched;
    }

    // Reviewers' pictures: the world page and the site, phone (390 wide) and desktop (1280 wide).
    for (auto [name, url] :
         {std::pair<std::string, std::string>{"scores-world", world}, {"scores-site", base + "/"}}) {
        for (auto [size, tag] :
             {std::pair<std::string, std::string>{"390,1500", "phone"}, {"1280,1400", "desktop"}}) {
            fs::path shot = Out / (name + "-" + tag + ".png");
            fs::remove(shot);
            auto [unused, shotLog] =
                Browse(url, "--hide-scrollbars --screenshot=" + shot.string() + " --window-size=" + size);
            EXPECT_TRUE(fs::exists(shot) && fs::file_size(shot) > 10000) << shot;
            EXPECT_EQ(ConsoleLines(shotLog), "") << shot;
        }
    }
    std::fclose(accessLog);
}

} // namespace
