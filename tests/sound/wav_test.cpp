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

const std::string takes = "; this reader takes 8-bit unsigned and 16-, 24- and 32-bit signed PCM or 32-bit "
                          "float, mono or stereo: ";

// The same samples behind a 40-byte WAVE_FORMAT_EXTENSIBLE format chunk.
std::string extensible(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subformat,
                       const std::string &data)
{
    std::string plain = wavimage(channels, rate, bits, data, 0xFFFE);
    std::string tail = std::string("\x16\0", 2) + std::string(1, (char)bits) + '\0' +
                       std::string("\x03\0\0\0", 4) + (char)subformat + '\0' +
                       std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
    plain.insert(36, tail);
    plain[16] = 40;
    const uint32_t riff = (uint32_t)plain.size() - 8;
    for (int i = 0; i < 4; i++) plain[4 + i] = (char)(riff >> (8 * i));
    return plain;
}

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
    EXPECT_EQ(s.length, 0u);
}

// Every refusal of the loader is one line naming the file and the cause.
TEST_F(SoundWav, RefusalsNameTheFileAndTheCause)
{
    put("Music.WAV", wavimage(1, 44100, 16, counting(64)));
    const struct {
        const char *name, *said;
    } cases[] = {
        {"missing.wav", "Sound missing.wav not loaded. data/missing.wav: no such file\n"},
        {"music.wav", "Sound music.wav not loaded. data/music.wav: no such file; case differs from "
                      "data/Music.WAV on disk (names are opened in lower case)\n"},
        {"my song.mp3",
         "Sound my song.mp3 not loaded. Extension .mp3: this loader reads .wav, .ogg files: ffmpeg "
         "-i 'my song.mp3' 'my song.wav'\n"},
        {"notes.txt", "Sound notes.txt not loaded. Extension .txt: this loader reads .wav, .ogg files\n"},
        {"sound", "Sound sound not loaded. No extension: this loader reads .wav, .ogg files\n"},
    };
    mount();
    // A disk that does not tell cases apart (Windows) opens the name as it is.
    const bool blind = fs::exists("data/music.wav");
    for (const auto &c : cases) {
        if (blind && !strcmp(c.name, "music.wav")) continue;
        std::string out = printed([&] { Soundsystem_LoadSound(c.name, &s); });
        EXPECT_EQ(out.substr(out.rfind('\n', out.size() - 2) + 1), c.said) << out;
        EXPECT_EQ(s.data, nullptr);
    }
}

// 24- and 32-bit PCM keep their top 16 bits, 32-bit float is scaled, rounded and
// held within 16 bits; plain or extensible, the record then holds 16-bit samples.
TEST_F(SoundWav, WiderSamplesBecomeSixteenBits)
{
    const std::vector<int16_t> want = {0, 1, -1, 32767, -32768, 12345, -12345, 255};
    std::string s24, s32, f32;
    for (int16_t v : want) {
        s24 += std::string{(char)0x7F, (char)(v & 255), (char)((uint16_t)v >> 8)};
        s32 += std::string{(char)0xFF, (char)0x7F, (char)(v & 255), (char)((uint16_t)v >> 8)};
    }
    for (float v :
         {0.0f, 1.0f / 32768, -1.0f / 32768, 1.5f, -1.0f, 0.376739502f, -0.376739502f, 255.4f / 32768}) {
        uint32_t word;
        memcpy(&word, &v, 4);
        for (int i = 0; i < 4; i++) f32 += (char)(word >> (8 * i));
    }
    const struct {
        const char *what;
        std::string file;
    } cases[] = {
        {"24-bit", wavimage(2, 48000, 24, s24)},
        {"32-bit", wavimage(2, 48000, 32, s32)},
        {"float", wavimage(2, 48000, 32, f32, 3)},
        {"extensible 24-bit", extensible(2, 48000, 24, 1, s24)},
        {"extensible float", extensible(2, 48000, 32, 3, f32)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(load("wide.wav", c.file), "");
        EXPECT_EQ(s.bits, 16);
        EXPECT_EQ(s.channels, 2);
        EXPECT_EQ(s.frequency, 48000u);
        ASSERT_EQ(s.size, want.size() * 2);
        EXPECT_EQ(s.length, want.size());
        EXPECT_EQ(std::vector<int16_t>((const int16_t *)s.data, (const int16_t *)s.data + s.length), want);
        Soundsystem_DeleteSound(&s);
    }
    // Cut short inside a frame: whole frames only, the warning naming what is kept.
    EXPECT_EQ(load("cut.wav", wavimage(2, 48000, 24, s24).substr(0, 44 + 13)),
              "WAV data of cut.wav cut to 12 bytes\n");
    EXPECT_EQ(std::vector<int16_t>((const int16_t *)s.data, (const int16_t *)s.data + s.length),
              std::vector<int16_t>(want.begin(), want.begin() + 4));
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
    riff.replace(0, 4, "RF64");
    EXPECT_EQ(load("big.wav", riff), "No WAV file: big.wav is an RF64 file, not RIFF WAVE" + takes +
                                         "sox 'big.wav' -b 16 -e signed-integer 'big-16bit.wav'\n");

    // The samples inside a LIST chunk: no data chunk anywhere.
    std::string list = image;
    list.replace(36, 4, "LIST");
    EXPECT_EQ(load("list.wav", list),
              "No WAV data: list.wav (108 bytes) has no data chunk after the format chunk\n");
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.channels, 2);

    // GSM 6.10 gives no bits per sample.
    EXPECT_EQ(load("gsm.wav", wavimage(1, 8000, 0, counting(65), 0x31)),
              "Not PCM signed: gsm.wav holds GSM 6.10 samples (format 49)" + takes +
                  "sox 'gsm.wav' -b 16 -e signed-integer 'gsm-16bit.wav'\n");
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.bits, 0);
    EXPECT_EQ(s.frequency, 8000u);
    EXPECT_EQ(load("adpcm.wav", wavimage(2, 44100, 4, counting(64), 0x11)),
              "Not PCM signed: adpcm.wav holds 4-bit IMA ADPCM samples (format 17)" + takes +
                  "sox 'adpcm.wav' -b 16 -e signed-integer 'adpcm-16bit.wav'\n");
}

TEST_F(SoundWav, DamagedFilesGiveAMessageAndNoSamples)
{
    EXPECT_EQ(load("short.wav", wavimage(1, 44100, 16, "").substr(0, 43)),
              "No WAV data: short.wav (43 bytes) has no data chunk after the format chunk\n");
    EXPECT_EQ(load("fmtcut.wav", wavimage(1, 44100, 16, "").substr(0, 30)),
              "No WAV data: fmtcut.wav (30 bytes) ends inside its format chunk\n");
    EXPECT_EQ(load("shorter.wav", "RIFF"), "WAV file too short: shorter.wav has 4 bytes\n");
    EXPECT_EQ(s.length, 0u);
    // No data, less than one sample of it, or a data chunk whose bytes are all missing:
    // one line each.
    std::string none = wavimage(2, 44100, 16, std::string(1000, 'x'));
    none.resize(44);
    for (std::string file : {wavimage(1, 44100, 16, ""), wavimage(1, 44100, 16, "x"), none}) {
        EXPECT_EQ(load("empty.wav", file), "WAV file has no samples: empty.wav\n");
        EXPECT_EQ(s.length, 0u);
        EXPECT_EQ(s.data, nullptr);
    }
    EXPECT_EQ(load("bits.wav", wavimage(1, 44100, 4, counting(64))),
              "WAV format not supported: bits.wav has 1 channels, 4 bits, 44100 Hz" + takes +
                  "sox 'bits.wav' -b 16 -e signed-integer 'bits-16bit.wav'\n");
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(load("channels.wav", wavimage(3, 44100, 16, counting(60))),
              "WAV format not supported: channels.wav has 3 channels, 16 bits, 44100 Hz" + takes +
                  "sox 'channels.wav' -b 16 -e signed-integer -c 2 'channels-16bit.wav'\n");
    EXPECT_EQ(load("rate.wav", wavimage(1, 0, 16, counting(60))),
              "WAV format not supported: rate.wav has 1 channels, 16 bits, 0 Hz" + takes +
                  "sox 'rate.wav' -b 16 -e signed-integer -r 44100 'rate-16bit.wav'\n");
    EXPECT_EQ(load("double.wav", wavimage(1, 44100, 64, counting(64), 3)),
              "WAV format not supported: double.wav has 1 channels, 64 bits, 44100 Hz" + takes +
                  "sox 'double.wav' -b 16 -e signed-integer 'double-16bit.wav'\n");
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
                      " channels, 16 bits, " + std::to_string(rate) + " Hz" + takes +
                      "sox 'slow.wav' -b 16 -e signed-integer -r 44100 'slow-16bit.wav'\n");
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
    EXPECT_EQ(load("fastest.wav", wavimage(2, 0xFFFFFFFFu, 16, counting(64))),
              "WAV format not supported: fastest.wav has 2 channels, 16 bits, 4294967295 Hz" + takes +
                  "sox 'fastest.wav' -b 16 -e signed-integer -r 44100 'fastest-16bit.wav'\n");
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
