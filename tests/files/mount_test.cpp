// Mounting: the walk's name table, its messages, and what it leaves behind.
#include "image_fixture.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Depth first in the platform's own listing order, as the walk must number them.
void platformorder(const fs::path &dir, const std::string &prefix, std::vector<std::string> &out)
{
    for (const auto &entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (entry.is_directory())
            platformorder(entry.path(), prefix + name + "/", out);
        else
            out.push_back(prefix + name);
    }
}

// Takes every copy of part out of text, saying how many there were.
size_t cut(std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at; (at = text.find(part)) != std::string::npos; n++) text.erase(at, part.size());
    return n;
}

} // namespace

using Walk = ImageTest;

TEST_F(Walk, NumbersSubdirectoryFilesWhereTheSubdirectoryIsMet)
{
    put("data/logo.tga", "logo");
    put("data/gfx/font.tga", "font!");
    put("data/gfx/sub/x.tga", "");
    put("data/music.wav", std::string(300, 'm'));
    std::vector<std::string> expected;
    platformorder("data", "", expected);

    int result = 0;
    std::string out = printed([&] { result = corefile_mountimage("data", 2); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(corefile_mounttype, 2);
    EXPECT_STREQ(corefile_image.path, "data");
    EXPECT_EQ(names(), expected);
    EXPECT_NE(out.find("Found 4 files\n"), std::string::npos);
    for (int i = 0; i < corefile_image.numfiles; i++)
        EXPECT_EQ(corefile_image.sizes[i], (int)fs::file_size(fs::path("data") / corefile_image.names[i]));
}

TEST_F(Walk, PrintsBothPasses)
{
    put("data/a.txt", "a");
    std::string out = printed([] { corefile_mountimage("data", 2); });
    // "." and ".." come wherever the platform lists them, once per pass.
    EXPECT_EQ(cut(out, "found: ..\n"), 2u);
    EXPECT_EQ(cut(out, "found: .\n"), 2u);
    // Each walk step's lines leave a space at the start of the next line.
    EXPECT_EQ(out, "HELLO TEST\nInit resources : data\ncall opendir\n"
                   "change path\n reading dir\n found: a.txt\nfound file: a.txt\nFound 1 files\n"
                   "change path\n reading dir\n found: a.txt\nfound file: a.txt\n");
}

TEST_F(Walk, EmptyAndMissingImages)
{
    fs::create_directory("empty");
    EXPECT_EQ(mount("empty"), 1);
    EXPECT_EQ(corefile_image.numfiles, 0);
    EXPECT_STREQ(corefile_getpath(), "/");

    // The folder and the cause are named, once a pass.
    int result = 0;
    const std::string missing = std::string("error reading directory missing: ") + strerror(ENOENT) + "\n";
    EXPECT_EQ(printed([&] { result = corefile_mountimage("missing", 2); }),
              "HELLO TEST\nInit resources : missing\ncall opendir\n" + missing + "Found 0 files\n" + missing);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(corefile_image.numfiles, 0);
}

TEST_F(Walk, LeavesTheWorkingDirectoryAsItFoundIt)
{
    put("deep/data/a/b/c.txt", "c");
    put("deep/data/d.txt", "d");
    fs::path before = fs::current_path();
    EXPECT_EQ(mount("deep/data"), 1);
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(corefile_image.numfiles, 2);
}

TEST_F(Walk, ReturnsFromSymlinkedDirectoriesAndNeverLeavesTheImage)
{
    // A link out of the image is not walked; ".." from inside it would also have
    // landed in the target's parent.
    put("data/d.txt", "d");
    put("elsewhere/inner/e.txt", "e");
    std::error_code error;
    fs::create_directory_symlink(root_ / "elsewhere" / "inner", "data/link", error);
    if (error) GTEST_SKIP() << "no directory symlinks here: " << error.message();
    fs::path before = fs::current_path();
    EXPECT_EQ(mount(), 1);
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(names(), std::vector<std::string>{"d.txt"});
}

TEST_F(Walk, SymlinkLoopIsWalkedOnce)
{
    put("data/a.txt", "a");
    std::error_code error;
    fs::create_directory_symlink(".", "data/loop", error);
    if (error) GTEST_SKIP() << "no directory symlinks here: " << error.message();
    fs::path before = fs::current_path();
    std::string out = printed([] { corefile_mountimage("data", 2); });
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(out.find("path too long: "), std::string::npos) << out;
}

TEST_F(Walk, LeavesOutPathsPastTheLimit)
{
    std::string deep = std::string(100, 'a') + "/" + std::string(100, 'b') + "/";
    std::string longfile = std::string(60, 'c') + ".txt", longdir = std::string(60, 'd');
    std::error_code error;
    fs::create_directories("data/" + deep + longdir, error);
    if (error) GTEST_SKIP() << "long paths unsupported here: " << error.message();
    put("data/" + deep + "short.txt", "s");
    put("data/" + deep + longfile, "l");
    put("data/" + deep + longdir + "/x", "x");

    std::string out = printed([] { corefile_mountimage("data", 2); });
    EXPECT_EQ(names(), std::vector<std::string>{deep + "short.txt"});
    EXPECT_NE(out.find("path too long: " + deep + longfile + "\n"), std::string::npos);
    EXPECT_NE(out.find("path too long: " + deep + longdir + "/\n"), std::string::npos);
    EXPECT_NE(out.find("Found 1 files\n"), std::string::npos);
}

TEST_F(Walk, RemountAndClose)
{
    put("data/a.txt", "a");
    put("other/b.txt", "b");
    EXPECT_EQ(mount("data"), 1);
    EXPECT_EQ(mount("other"), 1); // the first image is released, not leaked
    EXPECT_EQ(names(), std::vector<std::string>{"b.txt"});

    corefile_closeimage();
    EXPECT_EQ(corefile_image.numfiles, 0);
    s_corefile file{stdin, 0, 0};
    EXPECT_EQ(printed([&] {
                  EXPECT_EQ(corefile_open("b.txt", &file, 0), 0);
                  EXPECT_EQ(corefile_loadbuffer("b.txt"), nullptr);
                  corefile_chdir("gfx");
                  corefile_readdir("*.*");
              }),
              "");
    EXPECT_EQ(file.stream, nullptr);
    EXPECT_STREQ(corefile_getpath(), "/");
    EXPECT_EQ(corefile_numfiles, 0);
    EXPECT_EQ(corefile_mountimage(nullptr, 2), 0);
}

TEST(Hash, SumsSignedBytes)
{
    EXPECT_EQ(corefile_gethash(""), 0);
    EXPECT_EQ(corefile_gethash("abc"), 294);
    EXPECT_EQ(corefile_gethash("abc\xff"), 293);
    EXPECT_EQ(corefile_gethash(nullptr), 0);
}
