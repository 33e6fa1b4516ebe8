// The engine's own texts, each compared whole with what the call prints: the line
// feed the log adds to a message never adds or removes a character of a text that
// leaves its line open, and a refusal's cause follows the loader's own words on the
// same line.
#include "../files/image_fixture.h"
#include "../graphics2d/tga_writer.h"

#include <cstring>
#include <functional>

#include "graphics2d/corebitmap.h"
#include "sound/coresound.h"

namespace {

// A walk's "." and ".." lines come in the platform's order; they are left out.
std::string withoutdots(std::string out)
{
    for (const char *dots : {"found: ..\n", "found: .\n"}) {
        for (size_t at; (at = out.find(dots)) != std::string::npos;) out.erase(at, strlen(dots));
    }
    return out;
}

class Messages : public ImageTest {
protected:
    void SetUp() override
    {
        ImageTest::SetUp();
        fenk_numbitmaps = 0;
        Tga rle;
        rle.type = 10;
        rle.pixels = {0x102030};
        put("data/gfx/rle.tga", tga_bytes(rle));
        put("data/sound.wav", std::string("RIFX\0\0\0\0WAVE", 12));
        // Microsoft ADPCM, 4 bits, mono, 44100 Hz, with four bytes of data.
        put("data/not.wav", std::string("RIFF\x28\0\0\0WAVEfmt \x10\0\0\0\x02\0\x01\0\x44\xAC\0\0"
                                        "\0\0\0\0\0\0\x04\0data\x04\0\0\0abcd",
                                        48));
        put("walk/sub/a.txt", "a");
    }

    void TearDown() override
    {
        for (int i = 0; i < fenk_numbitmaps; i++) free(fenk_bitmaplist[i]->pixels);
        fenk_numbitmaps = 0;
        ImageTest::TearDown();
    }

    s_bitmap bitmap{};
    s_sound sound{};
};

TEST_F(Messages, EachTextIsPrintedWhole)
{
    // Each walk step leaves a space at the start of the next line.
    EXPECT_EQ(withoutdots(printed([] { corefile_mountimage("walk", COREFILE_MOUNT_DIRECTORY); })),
              "HELLO TEST\nInit resources : walk\ncall opendir\n"
              "change path\n reading dir\n found: sub\nchange path\n reading dir\n found: a.txt\n"
              "found file: sub/a.txt\nFound 1 files\n"
              "change path\n reading dir\n found: sub\nchange path\n reading dir\n found: a.txt\n"
              "found file: sub/a.txt\n");
    mount();

    const struct {
        const char *what;
        std::function<std::string()> call;
        std::string printed;
    } cases[] = {
        {"the current directory", [] { return printed([] { corefile_chdir("gfx"); }); },
         "localpath = /gfx/\n"},
        {"the listing",
         [] {
             return printed([] {
                 corefile_chdir("/");
                 corefile_readdir("*.*");
             });
         },
         "localpath = /\ndir is root\n- ReadDIR completed!\n"},
        {"a TGA picture", [&] { return printed([&] { FENK_LoadBitmap("gfx/rle.tga", &bitmap); }); },
         "Loading TGA image.loading file for dir: data/gfx/rle.tga\nwidth: 1, height: 1, bpp: 24\n"
         "TGA is RLE packed."},
        {"a bitmap deleted", [&] { return printed([&] { FENK_DeleteBitmap(&bitmap); }); },
         "deleting bitmap\n"},
        {"a picture missing", [&] { return printed([&] { FENK_LoadBitmap("none.tga", &bitmap); }); },
         "Loading TGA image.loading file for dir: data/none.tga\n"
         "- ERROR: Image none.tga not loaded. data/none.tga: no such file\n"},
        {"a picture of another format",
         [&] { return printed([&] { FENK_LoadBitmap("logo.gif", &bitmap); }); },
         "File format not supported. logo.gif: extension .gif, this reader takes TGA pictures: convert "
         "'logo.gif' -auto-orient -orient TopLeft 'logo.tga'\n"},
        {"no WAV file", [&] { return printed([&] { Soundsystem_LoadSound("sound.wav", &sound); }); },
         "Loading sound sound.wav\nloading file for dir: data/sound.wav\n"
         "No WAV file: sound.wav does not start with a RIFF WAVE header\n"},
        {"not PCM", [&] { return printed([&] { Soundsystem_LoadSound("not.wav", &sound); }); },
         "Loading sound not.wav\nloading file for dir: data/not.wav\n"
         "Not PCM signed: not.wav holds 4-bit Microsoft ADPCM samples (format 2); this reader takes 8-bit "
         "unsigned and 16-, 24- and 32-bit signed PCM or 32-bit float, mono or stereo: sox 'not.wav' -b 16 -e "
         "signed-integer 'not-16bit.wav'\n"},
        {"the sound system", [] { return printed([] { Soundsystem_Init(44100, 16, 2); }); },
         "soundsystem bufferlength = 2048\n"},
    };
    for (const auto &c : cases) EXPECT_EQ(c.call(), c.printed) << c.what;
    Soundsystem_CloseAudio();
}

} // namespace
