// The directory listing built from the mounted image's name table.
#include "image_fixture.h"

#include <algorithm>

namespace {

struct Entry {
    std::string name, path;
    int size, isdir;
    bool operator==(const Entry &) const = default;
    friend std::ostream &operator<<(std::ostream &out, const Entry &e)
    {
        return out << "{" << e.name << ", " << e.path << ", " << e.size << ", " << e.isdir << "}";
    }
};
using Entries = std::vector<Entry>;

class Listing : public ImageTest {
protected:
    void SetUp() override
    {
        ImageTest::SetUp();
        put("data/logo.tga", "logo");
        put("data/gfx/font.tga", "font!");
        put("data/gfx/sub/x.tga", "");
        put("data/music.wav", std::string(300, 'm'));
        ASSERT_EQ(mount(), 1);
    }

    static Entries list(const char *pattern, std::string *out = nullptr)
    {
        std::string text = printed([&] { corefile_readdir(pattern); });
        if (out) *out = text;
        Entries entries;
        for (int i = 0; i < corefile_numfiles; i++) {
            const s_direntry &e = corefile_filelist[i];
            entries.push_back({e.name, e.path, e.size, e.isdir});
        }
        return entries;
    }
};

} // namespace

TEST_F(Listing, RootListsSubdirectoriesThenFilesInTableOrder)
{
    std::string out;
    Entries files{{"logo.tga", "logo.tga", 4, 0}, {"music.wav", "music.wav", 300, 0}};
    auto all = names();
    if (std::find(all.begin(), all.end(), "music.wav") < std::find(all.begin(), all.end(), "logo.tga"))
        std::swap(files[0], files[1]);
    Entries expected{{"[gfx]", "gfx", 0, 1}, files[0], files[1]};
    EXPECT_EQ(list("*.*", &out), expected);
    EXPECT_EQ(out, "dir is root\n- ReadDIR completed!\n");
}

TEST_F(Listing, SubdirectoriesListTheirParent)
{
    printed([] { corefile_chdir("gfx"); });
    std::string out;
    EXPECT_EQ(list("*.tga", &out),
              (Entries{{"[..]", "..", 0, 1}, {"[sub]", "sub", 0, 1}, {"font.tga", "gfx/font.tga", 5, 0}}));
    EXPECT_EQ(out, "- ReadDIR completed!\n");
    printed([] { corefile_chdir("sub"); });
    EXPECT_EQ(list("*.tga"), (Entries{{"[..]", "..", 0, 1}, {"x.tga", "gfx/sub/x.tga", 0, 0}}));
}

TEST_F(Listing, ExtensionFilter)
{
    EXPECT_EQ(list("*.TGA"), (Entries{{"[gfx]", "gfx", 0, 1}})); // case-sensitive
    EXPECT_EQ(list("*.wav"), (Entries{{"[gfx]", "gfx", 0, 1}, {"music.wav", "music.wav", 300, 0}}));
    for (const char *pattern : {"*", "", ".tga"}) // no extension: every file
        EXPECT_EQ(list(pattern).size(), 3u) << pattern;
}

TEST_F(Listing, StopsAtTheDirectoryLimit)
{
    for (int i = 0; i < 300; i++) put("many/d" + std::to_string(1000 + i) + "/f", "");
    ASSERT_EQ(mount("many"), 1);
    std::string out;
    Entries entries = list("*.*", &out);
    EXPECT_EQ(entries.size(), (size_t)COREFILE_MAXDIRS);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    EXPECT_NE(out.find("too many directories: d"), std::string::npos);
}

TEST_F(Listing, EachListingReplacesTheLast)
{
    EXPECT_EQ(list("*.*").size(), 3u);
    EXPECT_EQ(list("*.wav").size(), 2u);
    printed([] { corefile_chdir("gfx"); });
    EXPECT_EQ(corefile_numfiles, 2); // changing directory does not relist

    // Names collected by hand are kept once each and released by the next listing.
    corefile_adddir("a");
    corefile_adddir("a");
    corefile_adddir("b");
    EXPECT_EQ(corefile_numdirs, 2);
    EXPECT_EQ(list("*.*").size(), 3u);
}
