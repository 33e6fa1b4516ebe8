// Pictures as ImageMagick writes them: its default bottom-up TGA and the
// top-left one the documentation asks for load the right way up, and a
// picture the reader does not take is refused in one line whose convert
// command, run as printed, gives one it loads.
#include "bitmap_fixture.h"

#include <cstdlib>

namespace {

bool have(const std::string &tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a command inside the test's own data folder.
int run(const std::string &command)
{
    return std::system(("cd data && " + command + " >/dev/null 2>&1").c_str());
}

std::string readfile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TgaTools : public Bitmaps {
protected:
    void SetUp() override
    {
        Bitmaps::SetUp();
        if (!have("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
        fs::create_directories("data");
        // Red at the top left, green at the bottom right, blue elsewhere.
        ASSERT_EQ(run("convert -size 5x3 xc:blue -fill red -draw 'point 0,0' -fill lime -draw 'point 4,2' "
                      "PNG24:picture.png"),
                  0);
    }

    // Loads through the data image; gives what was printed.
    std::string load(const std::string &name, s_bitmap **out)
    {
        *out = record();
        mount();
        return printed([&] { FENK_LoadBitmap(name.c_str(), *out); });
    }

    void expectpicture(const s_bitmap *b)
    {
        ASSERT_NE(b->pixels, nullptr);
        ASSERT_EQ(b->width, 5);
        ASSERT_EQ(b->height, 3);
        EXPECT_EQ(pixel(b, 0, 0), 0xFFFF0000u);
        EXPECT_EQ(pixel(b, 4, 2), 0xFF00FF00u);
        EXPECT_EQ(pixel(b, 4, 0), 0xFF0000FFu);
        EXPECT_EQ(pixel(b, 0, 2), 0xFF0000FFu);
    }

    // The convert command at the end of a refusal, run as printed; the name it writes.
    std::string convertas(const std::string &said)
    {
        size_t at = said.find("convert ");
        EXPECT_NE(at, std::string::npos) << said;
        if (at == std::string::npos) return "";
        std::string command = said.substr(at, said.size() - 1 - at);
        EXPECT_EQ(run(command), 0) << command;
        return command.substr(command.rfind(' ') + 1);
    }
};

// The last line printed, which must be the only one that says what went wrong.
std::string lastline(const std::string &out)
{
    size_t cut = out.rfind('\n', out.size() - 2);
    return cut == std::string::npos ? out : out.substr(cut + 1);
}

} // namespace

// ImageMagick 6 writes its rows top-down but, unless told -orient TopLeft,
// marks them bottom-up: such a file comes out upside down in any reader that
// follows its header. The reader follows it; the documented command gives a
// file that loads the right way up, raw and run-length coded.
TEST_F(TgaTools, ImageMagickPicturesFollowTheirHeaderAndTheDocumentedOnesLoadUpright)
{
    ASSERT_EQ(run("convert picture.png -orient TopLeft topleft.tga"), 0);
    ASSERT_EQ(run("convert picture.png -orient TopLeft -compress RLE rle.tga"), 0);
    EXPECT_EQ(readfile("data/topleft.tga")[17] & 0x20, 0x20);
    for (const char *name : {"topleft.tga", "rle.tga"}) {
        SCOPED_TRACE(name);
        s_bitmap *b = nullptr;
        std::string said = load(name, &b);
        EXPECT_EQ(said.find("- "), std::string::npos) << said;
        expectpicture(b);
    }

    ASSERT_EQ(run("convert picture.png default.tga"), 0);
    std::string file = readfile("data/default.tga");
    ASSERT_GE(file.size(), 18u + 15 * 3);
    ASSERT_EQ(file[2], 2) << "uncompressed true colour";
    bool bottomup = !(file[17] & 0x20);
    s_bitmap *b = nullptr;
    load("default.tga", &b);
    ASSERT_NE(b->pixels, nullptr);
    const unsigned char *first = (const unsigned char *)file.data() + 18 + (unsigned char)file[0];
    unsigned colour = 0xFF000000u | first[2] << 16 | first[1] << 8 | first[0];
    EXPECT_EQ(pixel(b, 0, bottomup ? 2 : 0), colour);
}

TEST_F(TgaTools, OtherPicturesAreRefusedWithTheCommandThatConvertsThem)
{
    // A PNG under a TGA name: one line, naming the file, then the command.
    ASSERT_EQ(run("cp picture.png photo.tga"), 0);
    s_bitmap *b = nullptr;
    std::string said = load("photo.tga", &b);
    EXPECT_EQ(b->pixels, nullptr);
    std::string line = lastline(said);
    EXPECT_EQ(line.rfind("- ERROR: TGA photo.tga: image type 78 not supported; ", 0), 0u) << said;
    EXPECT_EQ(said.find("not loaded"), std::string::npos) << said;
    EXPECT_EQ(convertas(line), "photo.tga");
    load("photo.tga", &b);
    expectpicture(b);

    // A picture under another name.
    said = load("picture.png", &b);
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_NE(said.find("picture.png"), std::string::npos) << said;
    std::string converted = convertas(said);
    EXPECT_EQ(converted, "picture.tga");
    load(converted, &b);
    expectpicture(b);
}
