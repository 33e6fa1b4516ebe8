// WAV files: loading through the sound system, the rejected and the damaged files,
// and saving back byte for byte.
#include "sound_fixture.h"

#include <tuple>

namespace {

class SoundWav : public SoundFileTest {
protected:
    // Loads a file put under the name and returns what was printed past the
    // "Loading sound" line and the file layer's own.
    std::string load(const std::string &name, const std::string &bytes)
    {
        if (name.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos) put(name, bytes);
        mount();
        std::string out = printed([&] { Soundsystem_LoadSound(name.c_str(), &s); });
        size_t cut = out.find("loading file for dir: ");
        if (cut != std::string::npos)
            out = out.substr(out.find('\n', cut) + 1);
        else
            out = out.substr(out.find('\n') + 1);
        return out;
    }
};

std::string counting(size_t bytes)
{
    std::string data(bytes, '\0');
    for (size_t i = 0; i < bytes; i++) data[i] = (char)(i * 7 + 3);
    return data;
}

} // namespace

TEST_F(SoundWav, LoadsTheCanonicalLayout)
{
    std::string data = counting(4000000);
    EXPECT_EQ(load("music.wav", wavimage(2, 44100, 16, data)), "");
    EXPECT_EQ(s.channels, 2);
    EXPECT_EQ(s.bits, 16);
    EXPECT_EQ(s.frequency, 44100u);
    EXPECT_EQ(s.size, 4000000u);
    EXPECT_EQ(s.length, 2000000u);
    EXPECT_EQ(s.step, 512u);
    EXPECT_EQ(s.volume_left, 128);
    EXPECT_EQ(s.playing, 0);
    ASSERT_NE(s.data, nullptr);
    EXPECT_TRUE(std::string((const char *)s.data, s.size) == data);
    EXPECT_EQ(soundsystem.numsounds, 1);

    Soundsystem_DeleteSound(&s);
    data = counting(1000);
    load("mono.wav", wavimage(1, 22050, 8, data));
    EXPECT_EQ(s.length, 1000u);
    EXPECT_EQ(s.step, 128u);
    EXPECT_EQ(std::string((const char *)s.data, s.size), data);
}

TEST_F(SoundWav, OnlyTheWavExtensionInAnyCaseLoads)
{
    std::string image = wavimage(1, 44100, 16, counting(64));
    // The data image holds lower-case names; the name asked for may be in any case.
    for (const char *name : {"sound.wav", "SOUND.Wav", "a.b.WAV"}) {
        std::string lower = name;
        for (char &c : lower) c = (char)tolower(c);
        put(lower, image);
        load(name, image);
        EXPECT_EQ(s.length, 32u) << name;
        Soundsystem_DeleteSound(&s);
    }
    for (const char *name : {"sound.ogg", "sound", ".wav", "sound.wavwavwavwavwav"}) {
        load(name, image);
        EXPECT_EQ(s.length, 0u) << name;
        EXPECT_EQ(s.data, nullptr) << name;
        EXPECT_EQ(s.volume, 255) << name;
    }
    put("other.wav", image);
    EXPECT_EQ(printed([&] { Soundsystem_LoadSound("missing.wav", &s); }),
              "Loading sound missing.wav\nloading file for dir: data/missing.wav\n");
    EXPECT_EQ(s.length, 0u);
}

TEST_F(SoundWav, FilesWithoutRiffPcmOrDataAreRefusedInOneLine)
{
    std::string image = wavimage(2, 44100, 16, counting(64));

    std::string fmtx = image;
    fmtx[15] = 'X';
    EXPECT_EQ(load("fmtx.wav", fmtx), "");
    EXPECT_EQ(s.length, 32u);
    Soundsystem_DeleteSound(&s);

    std::string riff = image;
    riff[0] = 'X';
    EXPECT_EQ(load("riff.wav", riff), "No WAV file: riff.wav does not start with a RIFF WAVE header\n");
    EXPECT_EQ(s.length, 0u);

    // The samples inside a LIST chunk: no data chunk anywhere.
    std::string list = image;
    list.replace(36, 4, "LIST");
    EXPECT_EQ(load("list.wav", list),
              "No WAV data: list.wav (108 bytes) has no data chunk after the format chunk\n");
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.channels, 2);

    EXPECT_EQ(
        load("float.wav", wavimage(1, 48000, 32, counting(64), 3)),
        "Not PCM signed: float.wav holds 32-bit IEEE float samples (format 3); this reader takes 16-bit "
        "signed (or 8-bit unsigned) PCM, mono or stereo: sox float.wav -b 16 -e signed-integer "
        "float-16bit.wav\n");
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.bits, 32);
    EXPECT_EQ(s.frequency, 48000u);
}

TEST_F(SoundWav, DamagedFilesGiveAMessageAndNoSamples)
{
    EXPECT_EQ(load("short.wav", wavimage(1, 44100, 16, "").substr(0, 43)),
              "No WAV data: short.wav (43 bytes) has no data chunk after the format chunk\n");
    EXPECT_EQ(load("shorter.wav", "RIFF"), "WAV file too short: shorter.wav has 4 bytes\n");
    EXPECT_EQ(s.length, 0u);
    // No data, or less than one sample of it.
    for (std::string data : {"", "x"}) {
        EXPECT_EQ(load("empty.wav", wavimage(1, 44100, 16, data)), "WAV file has no samples: empty.wav\n");
        EXPECT_EQ(s.length, 0u);
        EXPECT_EQ(s.data, nullptr);
    }
    const std::string takes = "; this reader takes 16-bit signed (or 8-bit unsigned) PCM, mono or stereo: ";
    EXPECT_EQ(load("bits.wav", wavimage(1, 44100, 4, counting(64))),
              "WAV format not supported: bits.wav has 1 channels, 4 bits, 44100 Hz" + takes +
                  "sox bits.wav -b 16 -e signed-integer bits-16bit.wav\n");
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(load("channels.wav", wavimage(3, 44100, 16, counting(60))),
              "WAV format not supported: channels.wav has 3 channels, 16 bits, 44100 Hz" + takes +
                  "sox channels.wav -b 16 -e signed-integer -c 2 channels-16bit.wav\n");
    EXPECT_EQ(load("rate.wav", wavimage(1, 0, 16, counting(60))),
              "WAV format not supported: rate.wav has 1 channels, 16 bits, 0 Hz" + takes +
                  "sox rate.wav -b 16 -e signed-integer -r 44100 rate-16bit.wav\n");
    EXPECT_EQ(s.data, nullptr);

    // A data size past the end keeps the whole frames that are there.
    std::string cut = wavimage(2, 44100, 16, counting(4000));
    cut.resize(44 + 1003);
    EXPECT_EQ(load("cut.wav", cut), "WAV data of cut.wav cut to 1000 bytes\n");
    EXPECT_EQ(s.size, 1000u);
    EXPECT_EQ(s.length, 500u);
    EXPECT_EQ(std::string((const char *)s.data, 1000), counting(1000));
}

TEST_F(SoundWav, RatesTheMixerCannotStepThroughAreRefused)
{
    // Below 173 Hz (mono, 86.2 Hz stereo) the step against 44 100 Hz is 0: such a
    // sound once loaded and then stayed at its start for ever.
    for (auto [channels, rate] : {std::pair{1, 172u}, {2, 86u}, {1, 1u}}) {
        EXPECT_EQ(load("slow.wav", wavimage((uint16_t)channels, rate, 16, counting(64))),
                  "WAV format not supported: slow.wav has " + std::to_string(channels) +
                      " channels, 16 bits, " + std::to_string(rate) +
                      " Hz; this reader takes 16-bit signed (or 8-bit unsigned) PCM, mono or stereo: sox "
                      "slow.wav -b 16 -e signed-integer -r 44100 slow-16bit.wav\n");
        EXPECT_EQ(s.data, nullptr);
        EXPECT_EQ(s.length, 0u);
    }
    EXPECT_EQ(load("slowest.wav", wavimage(1, 173, 16, counting(64))), "");
    EXPECT_EQ(s.step, 1u);
    Soundsystem_DeleteSound(&s);

    // Rates where rate x 256 passes 32 bits step as far as they should, and move.
    const std::pair<uint32_t, uint32_t> fast[] = {{16777216u, 97391u}, {0xFFFFFFFFu, 24932236u}};
    for (auto [rate, step] : fast) {
        EXPECT_EQ(load("fast.wav", wavimage(1, rate, 16, counting(1 << 20))), "");
        EXPECT_EQ(s.step, step) << rate;
        Soundsystem_PlaySound(&s, 0);
        pass();
        EXPECT_TRUE(s.position > 0 || !s.playing) << rate;
        Soundsystem_DeleteSound(&s);
    }

    // Against a slow enough mixer even a 32-bit step is too short.
    printed([] { ASSERT_EQ(Soundsystem_Init(100, 16, 2), 1); });
    EXPECT_EQ(
        load("fastest.wav", wavimage(2, 0xFFFFFFFFu, 16, counting(64))),
        "WAV format not supported: fastest.wav has 2 channels, 16 bits, 4294967295 Hz; this reader takes "
        "16-bit signed (or 8-bit unsigned) PCM, mono or stereo: sox fastest.wav -b 16 -e signed-integer -r "
        "44100 fastest-16bit.wav\n");
    EXPECT_EQ(s.data, nullptr);
}

TEST_F(SoundWav, StreamsAtRatesTheMixerCannotStepThroughAreNotCreated)
{
    for (int rate : {0, 172, -5}) {
        EXPECT_EQ(printed([&] { Soundsystem_CreateSoundStream(&s, nullptr, rate, 16, 1, 100); }),
                  "Sound stream not created: " + std::to_string(rate) + " Hz cannot be mixed\n");
        EXPECT_EQ(s.data, nullptr);
        EXPECT_EQ(s.length, 0u);
        Soundsystem_DeleteSound(&s);
    }
    EXPECT_EQ(printed([&] { Soundsystem_CreateSoundStream(&s, nullptr, 173, 16, 1, 100); }), "");
    EXPECT_EQ(s.step, 1u);
    EXPECT_NE(s.data, nullptr);
}

TEST_F(SoundWav, SavingWritesTheLoadedFileBackByteForByte)
{
    // The last case ends in part of a frame: all of it is in the file, so it is kept.
    for (auto [channels, bits, bytes] : {std::tuple{2, 16, 4400}, {1, 8, 4400}, {2, 16, 4403}}) {
        std::string image = wavimage((uint16_t)channels, 44100, (uint16_t)bits, counting(bytes));
        EXPECT_EQ(load("in.wav", image), "");
        EXPECT_EQ(s.size, (uint32_t)bytes);
        EXPECT_EQ(s.length, (uint32_t)bytes / (bits / 8));
        EXPECT_EQ(printed([&] { EXPECT_EQ(Soundsystem_SaveSound("out.wav", &s), 1); }),
                  "loading file for dir: data//out.wav\n");
        EXPECT_TRUE(get("out.wav") == image) << channels << " channels, " << bytes << " bytes";
        Soundsystem_DeleteSound(&s);
    }
    // 16-bit stereo at 44100 Hz: byte rate 176400, block align 4.
    std::string saved = get("out.wav");
    load("in.wav", wavimage(2, 44100, 16, counting(8)));
    printed([&] { Soundsystem_SaveSound("out.wav", &s); });
    saved = get("out.wav");
    EXPECT_EQ((uint8_t)saved[28] | (uint8_t)saved[29] << 8 | (uint8_t)saved[30] << 16, 176400);
    EXPECT_EQ(saved[32], 4);
}

// A stereo stream's length counts frames; the file describes all of its memory, so it
// reads back as it was.
TEST_F(SoundWav, SavedStreamsFollowTheirSampleMemory)
{
    mount();
    printed([&] { Soundsystem_CreateSoundStream(&s, nullptr, 44100, 16, 2, 100); });
    ASSERT_EQ(s.size, 400u);
    for (uint32_t i = 0; i < s.size; i++) ((uint8_t *)s.data)[i] = (uint8_t)(i * 13);
    std::string memory((const char *)s.data, s.size);
    printed([&] { Soundsystem_SaveSound("stream.wav", &s); });
    EXPECT_TRUE(get("stream.wav") == wavimage(2, 44100, 16, memory));

    s_sound back;
    printed([&] { Soundsystem_LoadSound("stream.wav", &back); });
    EXPECT_EQ(back.size, s.size);
    EXPECT_EQ(std::string((const char *)back.data, back.size), memory);
    Soundsystem_DeleteSound(&back);
}
