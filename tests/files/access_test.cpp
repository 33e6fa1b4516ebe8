// File access: opening by name, the record's own position, whole-file calls
// and the current directory inside the image.
#include "image_fixture.h"
#include "platform/platform.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

const std::string hundred = [] {
    std::string bytes(100, '\0');
    for (int i = 0; i < 100; i++) bytes[i] = (char)i;
    return bytes;
}();

class Access : public ImageTest {
protected:
    void SetUp() override
    {
        ImageTest::SetUp();
        put("data/gfx/logo.tga", "TGA");
        put("data/hundred.bin", hundred);
        put("data/lines.txt", "one\ntwo\nlast");
        put("secret.txt", "outside");
        ASSERT_EQ(mount(), 1);
    }

    static s_corefile open(const char *name, int mode = 0)
    {
        s_corefile file{};
        printed([&] { EXPECT_EQ(corefile_open(name, &file, mode), 1) << name; });
        return file;
    }

    static std::string read(s_corefile *file, int count)
    {
        std::string bytes(count, '\0');
        corefile_read(bytes.data(), 1, count, file);
        return bytes;
    }
};

} // namespace

TEST_F(Access, OpensTheLowerCasedNameAndFailsCleanly)
{
    s_corefile file{nullptr, -7, -7};
    EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open("GFX/Logo.TGA", &file, 0), 1); }),
              "loading file for dir: data/gfx/logo.tga\n");
    EXPECT_EQ(corefile_tell(&file), 0);
    EXPECT_EQ(corefile_fsize(&file), 3);
    corefile_close(&file);
    corefile_close(&file);

    // A missing member leaves position and size alone.
    file = {stdin, 5, 9};
    EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open("nothing.bin", &file, 0), 0); }),
              "loading file for dir: data/nothing.bin\n");
    EXPECT_EQ(file.stream, nullptr);
    EXPECT_EQ(file.position, 5);
    EXPECT_EQ(file.size, 9);
}

TEST_F(Access, NamesThatLeaveTheImageAreRefused)
{
    s_corefile file;
    for (const char *name : {"../secret.txt", "gfx/../../secret.txt", "..\\secret.txt", ".."}) {
        EXPECT_EQ(printed([&] { EXPECT_EQ(corefile_open(name, &file, 1), 0) << name; }),
                  "loading file for dir: data/" + std::string(name) + "\n");
        EXPECT_EQ(corefile_lasterror(), "data/" + std::string(name) + ": the name leaves the data directory");
    }
    printed([] {
        EXPECT_EQ(corefile_loadbuffer("../secret.txt"), nullptr);
        corefile_savebuffer("../made.txt", "x", 1);
    });
    EXPECT_FALSE(fs::exists("made.txt"));
    EXPECT_EQ(fs::file_size("secret.txt"), 7u);

    put("data/..x..y", "ok"); // dots inside a component are an ordinary name
    s_corefile dots = open("..x..y");
    corefile_close(&dots);
}

TEST_F(Access, TheRecordOwnsThePosition)
{
    s_corefile file = open("hundred.bin");
    EXPECT_EQ(corefile_fsize(&file), 100);
    char buffer[120] = {};
    corefile_read(buffer, 12, 10, &file); // past the end: the whole request still counts
    EXPECT_EQ(corefile_tell(&file), 120);
    EXPECT_NE(corefile_feof(&file), 0);
    EXPECT_EQ(std::string(buffer, 100), hundred);
    corefile_rewind(&file);
    EXPECT_EQ(corefile_feof(&file), 0);
    EXPECT_EQ(read(&file, 10), hundred.substr(0, 10));

    // A copy of the record shares the stream but keeps its own position.
    s_corefile other = file;
    corefile_seek(&other, 50, 0);
    EXPECT_EQ(read(&other, 4), hundred.substr(50, 4));
    EXPECT_EQ(read(&file, 4), hundred.substr(10, 4));

    const int seeks[][3] = {{30, 0, 30}, {-10, 1, 20}, {0, 2, 100}, {-10, 2, 90}, {5, 3, 90}};
    for (const auto &s : seeks) {
        corefile_seek(&file, s[0], s[1]);
        EXPECT_EQ(corefile_tell(&file), s[2]) << "origin " << s[1];
    }
    EXPECT_EQ(read(&file, 2), hundred.substr(90, 2));
    corefile_close(&file);
    corefile_rewind(&file); // allowed on a closed record
    EXPECT_EQ(corefile_tell(&file), 0);
}

TEST_F(Access, BadRequestsReadNothing)
{
    s_corefile file = open("hundred.bin");
    char buffer[100];
    memset(buffer, 0x55, sizeof buffer);
    corefile_seek(&file, -5, 0);
    corefile_read(buffer, 1, 4, &file);
    EXPECT_EQ(corefile_tell(&file), -1);
    corefile_rewind(&file);
    corefile_read(buffer, -1, 4, &file);
    corefile_read(buffer, 4, -1, &file);
    corefile_read(nullptr, 4, 1, &file);
    EXPECT_EQ(corefile_tell(&file), 0);
    EXPECT_EQ(buffer[0], 0x55);

    // 65536 x 65536 bytes: the position stops at the limit instead of wrapping.
    corefile_read(buffer, 65536, 65536, &file);
    EXPECT_EQ(corefile_tell(&file), INT_MAX);
    corefile_seek(&file, 1, 1);
    EXPECT_EQ(corefile_tell(&file), INT_MAX);
    corefile_close(&file);
}

TEST_F(Access, GetsReadsALineAtATime)
{
    s_corefile file = open("lines.txt");
    char line[64];
    const std::pair<int, const char *> steps[] = {{64, "one\n"}, {3, "tw"}, {64, "o\n"}, {64, "last"}};
    for (const auto &[size, text] : steps) {
        corefile_gets(line, size, &file);
        EXPECT_STREQ(line, text);
    }
    EXPECT_EQ(corefile_tell(&file), 12);
    EXPECT_NE(corefile_feof(&file), 0);

    strcpy(line, "kept");
    corefile_gets(line, sizeof line, &file); // at the end
    corefile_rewind(&file);
    corefile_gets(line, 1, &file); // no room for a character
    EXPECT_STREQ(line, "kept");
    EXPECT_EQ(corefile_tell(&file), 0);
    corefile_close(&file);
}

TEST_F(Access, WritingCreatesAndTruncates)
{
    s_corefile file = open("NEW.bin", 1);
    EXPECT_EQ(corefile_fsize(&file), 0);
    corefile_write("hello", 1, 5, &file);
    EXPECT_EQ(corefile_tell(&file), 5);
    corefile_seek(&file, 0, 0);
    corefile_write("J", 1, 1, &file);
    corefile_close(&file);
    char *loaded = (char *)corefile_loadbuffer("new.bin");
    EXPECT_EQ(std::string(loaded, 5), "Jello");
    free(loaded);

    file = open("hundred.bin", 1);
    EXPECT_EQ(corefile_fsize(&file), 0);
    corefile_close(&file);
    EXPECT_EQ(fs::file_size("data/hundred.bin"), 0u);
}

TEST_F(Access, WholeFilesRoundTrip)
{
    EXPECT_EQ(printed([] { corefile_savebuffer("save.bin", hundred.data(), 100); }),
              "loading file for dir: data//save.bin\n");
    char *loaded = (char *)corefile_loadbuffer("save.bin");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(std::string(loaded, 100), hundred);
    free(loaded);

    printed([] { corefile_savebuffer("empty.bin", "", 0); });
    void *empty = corefile_loadbuffer("empty.bin"); // null would mean failure
    EXPECT_NE(empty, nullptr);
    free(empty);

    printed([] { corefile_chdir("gfx"); });
    EXPECT_EQ(printed([] { free(corefile_loadbuffer("logo.tga")); }),
              "loading file for dir: data//gfx/logo.tga\n");
    EXPECT_EQ(printed([] { EXPECT_EQ(corefile_loadbuffer("none"), nullptr); }),
              "loading file for dir: data//gfx/none\n");
    printed([] { corefile_savebuffer("neg.bin", "x", -1); });
    EXPECT_FALSE(fs::exists("data/gfx/neg.bin"));

    // "/" and 254 characters fit the limit; one more does not, and nothing is opened.
    printed([] { corefile_chdir(".."); });
    std::string fits(254, 'f'), over(255, 'f');
    EXPECT_EQ(printed([&] { corefile_loadbuffer(fits.c_str()); }),
              "loading file for dir: data//" + fits + "\n");
    EXPECT_EQ(printed([&] { corefile_savebuffer(over.c_str(), "x", 1); }), "path too long: /" + over + "\n");
}

namespace {

std::vector<std::pair<std::string, int>> written;

void note_written(const char *path, int whole) { written.emplace_back(path, whole); }

} // namespace

// A host that keeps written files elsewhere hears of each open for writing and of each
// whole file saved, by the path the layer wrote; reading tells it nothing.
TEST_F(Access, TheHostHearsOfWhatIsWritten)
{
    written.clear();
    fenk_filewritten = note_written;
    printed([] {
        corefile_savebuffer("Score.txt", "12", 2);
        corefile_chdir("gfx");
        corefile_savebuffer("x.bin", "x", 1);
        free(corefile_loadbuffer("x.bin"));
    });
    s_corefile file = open("Log.txt", COREFILE_MODE_WRITE);
    corefile_close(&file);
    fenk_filewritten = nullptr;

    const std::vector<std::pair<std::string, int>> expected = {{"data//score.txt", 0},
                                                               {"data//score.txt", 1},
                                                               {"data//gfx/x.bin", 0},
                                                               {"data//gfx/x.bin", 1},
                                                               {"data/log.txt", 0}};
    EXPECT_EQ(written, expected);
}

TEST_F(Access, ChdirFollowsTheNames)
{
    std::string fits(253, 'd'); // "/" + 253 + "/" = 255
    const std::pair<std::string, std::string> steps[] = {
        {"gfx", "localpath = /gfx/\n"},
        {"fonts", "localpath = /gfx/fonts/\n"},
        {"..", "localpath = /gfx/\n"},
        {"..", "localpath = /\n"},
        {"..", "localpath = /\n"},
        {"/music", "localpath = /music/\n"},
        {".", ""},
        {"\\tex", "localpath = \\tex/\n"},
        {"sub\\", "localpath = \\tex/sub\\/\n"},
        {"..", "localpath = \\tex/sub/\n"},
        {"..", "localpath = \\tex/\n"},
        {"..", "localpath = /\n"},
        {fits, "localpath = /" + fits + "/\n"},
        {"x", "path too long: /" + fits + "/x/\n"},
    };
    for (const auto &[name, text] : steps)
        EXPECT_EQ(printed([&] { corefile_chdir(name.c_str()); }), text) << name;
    EXPECT_EQ(corefile_getpath(), "/" + fits + "/");
}

TEST(Downcase, OnlyAsciiLettersChange)
{
    const char source[] = "AZaz09 !@[`{ \x80\xC4\xFF";
    char dest[sizeof source + 1];
    memset(dest, '#', sizeof dest);
    file_downcase(dest, source, sizeof source);
    EXPECT_EQ(std::string(dest, sizeof dest), std::string("azaz09 !@[`{ \x80\xC4\xFF\0#", sizeof dest));
}
