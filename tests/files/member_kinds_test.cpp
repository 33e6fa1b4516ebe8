// What only a POSIX file system holds: links that loop or lead out of the image,
// and members that are not regular files (FIFOs, devices), which must neither be
// walked into nor block an open.
#include "image_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

    // Each would block for ever or never end; each is refused at once by name.
    s_corefile file{};
    for (const char *name : {"pipe.tga", "zero.tga", "dir.tga"}) {
        for (int mode : {0, COREFILE_MODE_WRITE}) {
            std::string path = std::string("data/") + name;
            EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open(name, &file, mode), 0) << name << mode; }),
                      "loading file for dir: " + path + "\nnot a regular file: " + path + "\n");
            EXPECT_EQ(file.stream, nullptr);
        }
    }
    EXPECT_EQ(printed([] { EXPECT_EQ(corefile_loadbuffer("pipe.wav"), nullptr); }),
              "loading file for dir: data//pipe.wav\nnot a regular file: data//pipe.wav\n");
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
