// What only a POSIX file system holds: links that loop or lead out of the image,
// and members that are not regular files (FIFOs, devices), which must neither be
// walked into nor block an open.
#include "image_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

using MemberKinds = ImageTest;

TEST_F(MemberKinds, LinksInsideAreFollowedOnceAndLinksOutAreSkipped)
{
    put("data/a.txt", "a");
    put("data/sub/s.txt", "ss");
    put("elsewhere/e.txt", "e");
    // Two links to the image itself once took 2^n paths to walk; one to "/" walked
    // the whole file system.
    for (const char *loop : {"data/x", "data/y"}) fs::create_directory_symlink(".", loop);
    fs::create_directory_symlink("/", "data/root");
    fs::create_directory_symlink("sub", "data/again");
    fs::create_symlink("a.txt", "data/alias.txt");
    fs::create_symlink(root_ / "elsewhere" / "e.txt", "data/out.txt");
    fs::create_symlink("missing", "data/dangling");

    fs::path before = fs::current_path();
    std::string out = printed([] { EXPECT_EQ(corefile_mountimage("data", 2), 1); });
    EXPECT_EQ(fs::current_path(), before);

    // sub is walked under whichever of its two names the platform lists first.
    std::vector<std::string> got = names();
    std::sort(got.begin(), got.end());
    std::vector<std::string> bysub = {"a.txt", "alias.txt", "sub/s.txt"};
    std::vector<std::string> byagain = {"a.txt", "again/s.txt", "alias.txt"};
    EXPECT_TRUE(got == bysub || got == byagain) << out;
    EXPECT_NE(out.find("Found 3 files\n"), std::string::npos) << out;
    for (const char *line :
         {"link leaves the data directory: root\n", "link leaves the data directory: out.txt\n",
          "directory walked already: x/\n", "directory walked already: y/\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << out;
    // A link to nothing is skipped silently: only its "found" line, once a pass.
    size_t mentions = 0;
    for (size_t at = 0; (at = out.find("dangling", at)) != std::string::npos; at++) mentions++;
    EXPECT_EQ(mentions, 2u) << out;
    EXPECT_TRUE(out.find("directory walked already: sub/\n") != std::string::npos ||
                out.find("directory walked already: again/\n") != std::string::npos)
        << out;
}

TEST_F(MemberKinds, OnlyRegularFilesAreOpened)
{
    put("data/real.tga", "1234");
    ASSERT_EQ(mkfifo("data/pipe.tga", 0600), 0);
    ASSERT_EQ(mkfifo("data/pipe.wav", 0600), 0);
    fs::create_symlink("/dev/zero", "data/zero.tga");
    fs::create_directory("data/dir.tga");
    mount();

    // Each would block for ever or never end; each is refused at once by name (the
    // device already as a link out of the image), the cause left for the caller.
    s_corefile file{};
    EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open("zero.tga", &file, 0), 0); }),
              "loading file for dir: data/zero.tga\n");
    EXPECT_STREQ(corefile_lasterror(), "data/zero.tga: link leaves the data directory");
    for (const char *name : {"pipe.tga", "dir.tga"}) {
        for (int mode : {0, COREFILE_MODE_WRITE}) {
            std::string path = std::string("data/") + name;
            EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open(name, &file, mode), 0) << name << mode; }),
                      "loading file for dir: " + path + "\n");
            EXPECT_EQ(corefile_lasterror(), path + ": not a regular file");
            EXPECT_EQ(file.stream, nullptr);
        }
    }
    EXPECT_EQ(printed([] { EXPECT_EQ(corefile_loadbuffer("pipe.wav"), nullptr); }),
              "loading file for dir: data//pipe.wav\n");
    EXPECT_STREQ(corefile_lasterror(), "data//pipe.wav: not a regular file");
    EXPECT_TRUE(fs::is_fifo("data/pipe.tga"));

    // A regular file still opens, and writing one still truncates it.
    ASSERT_EQ(printed([&] { EXPECT_EQ(corefile_open("real.tga", &file, COREFILE_MODE_WRITE), 1); }),
              "loading file for dir: data/real.tga\n");
    corefile_write("ab", 1, 2, &file);
    corefile_close(&file);
    ASSERT_EQ(printed([&] { EXPECT_EQ(corefile_open("real.tga", &file, 0), 1); }),
              "loading file for dir: data/real.tga\n");
    EXPECT_EQ(file.size, 2);
    corefile_close(&file);
}

// What the walk leaves out is not opened by name either: a link out of the image, a
// file below a directory link out of it, a link to nothing. Writing through one would
// make or change a file outside the image.
TEST_F(MemberKinds, OpeningByNameRefusesWhatTheWalkRefuses)
{
    put("data/a.txt", "a");
    put("elsewhere/e.txt", "e");
    fs::create_symlink("a.txt", "data/alias.txt");
    fs::create_directory_symlink("sub", "data/inner");
    fs::create_directory("data/sub");
    fs::create_symlink(root_ / "elsewhere" / "e.txt", "data/out.txt");
    fs::create_directory_symlink(root_ / "elsewhere", "data/outdir");
    fs::create_symlink("made.txt", "data/dangling.txt");
    mount();

    s_corefile file{};
    for (int mode : {0, COREFILE_MODE_WRITE}) {
        for (const char *name : {"out.txt", "outdir/e.txt", "outdir/new.txt"}) {
            std::string path = std::string("data/") + name;
            EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open(name, &file, mode), 0) << name << mode; }),
                      "loading file for dir: " + path + "\n");
            EXPECT_EQ(corefile_lasterror(), path + ": link leaves the data directory");
            EXPECT_EQ(file.stream, nullptr);
        }
        EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open("dangling.txt", &file, mode), 0); }),
                  "loading file for dir: data/dangling.txt\n");
        EXPECT_STREQ(corefile_lasterror(), "data/dangling.txt: link leads nowhere");
    }
    EXPECT_EQ(fs::file_size("elsewhere/e.txt"), 1u);
    EXPECT_FALSE(fs::exists("elsewhere/new.txt"));
    EXPECT_FALSE(fs::exists("data/made.txt"));

    // Links inside the image, and new files in its folders, open as before.
    for (const char *name : {"alias.txt", "inner/new.txt", "new.txt"}) {
        EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open(name, &file, COREFILE_MODE_WRITE), 1) << name; }),
                  std::string("loading file for dir: data/") + name + "\n");
        corefile_close(&file);
    }
    EXPECT_TRUE(fs::exists("data/sub/new.txt"));
}

// A link to a directory met first at a path too long to walk does not keep the
// directory from being walked under its own name. Readdir's order is the file
// system's, so eight such pairs make it all but certain that a link comes first.
TEST_F(MemberKinds, ADirectoryLinkTooDeepToWalkLosesNothing)
{
    const std::string chain = std::string(100, 'a') + "/" + std::string(100, 'b') + "/";
    for (int k = 0; k < 8; k++) {
        std::string n = std::to_string(k);
        put("data/sub" + n + "/s.txt", "s");
        fs::create_directories("data/deep" + n + "/" + chain);
        fs::create_directory_symlink("../../../sub" + n,
                                     "data/deep" + n + "/" + chain + std::string(60, 'l'));
    }
    std::string out = printed([] { corefile_mountimage("data", 2); });
    std::vector<std::string> got = names();
    std::sort(got.begin(), got.end());
    std::vector<std::string> want;
    for (int k = 0; k < 8; k++) want.push_back("sub" + std::to_string(k) + "/s.txt");
    EXPECT_EQ(got, want) << out;
}

// An unreadable folder inside the image is named below the image, with the cause.
TEST_F(MemberKinds, AnUnreadableFolderIsNamedWithItsCause)
{
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    put("data/a.txt", "a");
    put("data/locked/b.txt", "b");
    fs::permissions("data/locked", fs::perms::none);
    std::string out = printed([] { corefile_mountimage("data", 2); });
    fs::permissions("data/locked", fs::perms::owner_all);
    EXPECT_NE(out.find(std::string("error reading directory data/locked: ") + strerror(EACCES) + "\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
}

// The layer prints no refusal; it keeps the path and the cause for the caller's. A
// disk that tells cases apart has the name a program asked for in another case.
TEST_F(MemberKinds, AFailedOpenKeepsItsCause)
{
    put("data/gfx/logo.tga", "TGA");
    put("data/Music.WAV", "x");
    put("data/Sub/Deep/A.tga", "x");
    put("data/locked.bin", "x");
    fs::permissions("data/locked.bin", fs::perms::none);
    const struct {
        const char *name, *cause;
    } cases[] = {
        {"nothing.bin", "data/nothing.bin: no such file"},
        {"music.wav", "data/music.wav: no such file; case differs from data/Music.WAV on disk (names are "
                      "opened in lower case)"},
        {"sub/deep/a.tga", "data/sub/deep/a.tga: no such file; case differs from data/Sub/Deep/A.tga on disk "
                           "(names are opened in lower case)"},
        {"sub/other/a.tga", "data/sub/other/a.tga: no such file"},
        {"locked.bin", geteuid() == 0 ? nullptr : "data/locked.bin: permission denied"},
    };
    mount();
    s_corefile file{};
    for (const auto &c : cases) {
        if (!c.cause) continue; // permissions do not bind root
        EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open(c.name, &file, 0), 0); }),
                  "loading file for dir: data/" + std::string(c.name) + "\n");
        EXPECT_STREQ(corefile_lasterror(), c.cause);
    }
    printed([&] { EXPECT_EQ(corefile_open("gfx/logo.tga", &file, 0), 1); });
    EXPECT_STREQ(corefile_lasterror(), "");
    corefile_close(&file);
    corefile_closeimage();
    printed([&] { EXPECT_EQ(corefile_open("gfx/logo.tga", &file, 0), 0); });
    EXPECT_STREQ(corefile_lasterror(), "gfx/logo.tga: no data directory mounted");
    fs::permissions("data/locked.bin", fs::perms::owner_all);
}
