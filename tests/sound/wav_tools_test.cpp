// WAV files as sox and ffmpeg write them: the chunks other tools put around the
// samples, and the layouts the reader refuses, each with the sox command its
// refusal names, run as printed and its result loaded.
#include "sound_fixture.h"

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

class SoundWavTools : public SoundFileTest {
protected:
    // What the load printed past the "Loading sound" line and the file layer's own.
    std::string load(const std::string &name)
    {
        Soundsystem_DeleteSound(&s);
        mount();
        std::string out = printed([&] { Soundsystem_LoadSound(name.c_str(), &s); });
        size_t cut = out.find("loading file for dir: ");
        return cut == std::string::npos ? out : out.substr(out.find('\n', cut) + 1);
    }
};

int16_t peak(const s_sound &s)
{
    int peak = 0;
    for (uint32_t i = 0; i < s.length; i++)
        peak = std::max(peak, std::abs((int)((const int16_t *)s.data)[i]));
    return (int16_t)peak;
}

} // namespace

// JUNK first, a 40-byte extensible format chunk, bext and LIST before the data:
// 16-bit stereo in an extensible chunk is plain PCM.
TEST_F(SoundWavTools, ChunksAroundTheSamplesAndExtensiblePcmLoad)
{
    if (!have("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_EQ(run("ffmpeg -v error -f lavfi -i sine=frequency=440:sample_rate=96000:duration=0.05 -ac 2 "
                  "-c:a pcm_s16le -write_bext 1 -rf64 auto chunks.wav"),
              0);
    std::string file = get("chunks.wav");
    ASSERT_GT(file.size(), 19200u);
    EXPECT_EQ(file.substr(12, 4), "JUNK");
    EXPECT_NE(file.find("bext"), std::string::npos);
    EXPECT_NE(file.find("LIST"), std::string::npos);

    EXPECT_EQ(load("chunks.wav"), "");
    EXPECT_EQ(s.channels, 2);
    EXPECT_EQ(s.bits, 16);
    EXPECT_EQ(s.frequency, 96000u);
    ASSERT_EQ(s.size, 19200u);
    EXPECT_EQ(s.length, 9600u);
    EXPECT_TRUE(std::string((const char *)s.data, s.size) == file.substr(file.size() - 19200));
}

// sox's 24-bit extensible and 32-bit float files load as 16 bits, within one step of
// sox's own conversion of them (sox without dither).
TEST_F(SoundWavTools, WideAndFloatFilesMatchSoxsSixteenBits)
{
    if (!have("sox")) GTEST_SKIP() << "sox is not installed";
    for (const char *made :
         {"-c 2 -b 24 -e signed-integer", "-c 1 -b 32 -e floating-point", "-c 2 -b 32 -e signed-integer"}) {
        SCOPED_TRACE(made);
        ASSERT_EQ(run(std::string("sox -n -r 44100 ") + made + " wide.wav synth 0.05 sine 440 gain -1"), 0);
        ASSERT_EQ(run("sox -D wide.wav -b 16 -e signed-integer narrow.wav"), 0);
        EXPECT_EQ(load("narrow.wav"), "");
        std::vector<int16_t> reference((const int16_t *)s.data, (const int16_t *)s.data + s.length);
        EXPECT_EQ(load("wide.wav"), "");
        EXPECT_EQ(s.bits, 16);
        ASSERT_EQ(s.length, reference.size());
        int worst = 0;
        for (size_t i = 0; i < reference.size(); i++)
            worst = std::max(worst, std::abs(((const int16_t *)s.data)[i] - reference[i]));
        EXPECT_LE(worst, 1);
        EXPECT_GT(peak(s), 16000) << "the sine came through";
    }
}

TEST_F(SoundWavTools, RefusedLayoutsNameTheSoxCommandThatConvertsThem)
{
    if (!have("sox") || !have("ffmpeg")) GTEST_SKIP() << "sox or ffmpeg is not installed";
    const struct {
        const char *name, *made;
        int channels;
        uint32_t rate, frames;
    } cases[] = {
        {"c3.wav", "sox -n -r 44100 -c 3 -b 16 -e signed-integer c3.wav synth 0.05 sine 440", 2, 44100, 2205},
        {"ulaw.wav", "sox -n -r 44100 -c 1 -e mu-law ulaw.wav synth 0.05 sine 440", 1, 44100, 2205},
        {"gsm.wav", "sox -n -r 8000 -c 1 -e gsm-full-rate gsm.wav synth 0.06 sine 440", 1, 8000, 480},
        {"rf 64.wav",
         "ffmpeg -v error -f lavfi -i sine=frequency=440:duration=0.05 -c:a pcm_s24le -rf64 always 'rf 64.wav'",
         1, 44100, 2205},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(run(c.made), 0);
        std::string said = load(c.name);
        EXPECT_EQ(s.data, nullptr);
        ASSERT_FALSE(said.empty());
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
        EXPECT_NE(said.find(std::string(": ") + c.name + " "), std::string::npos) << said;
        EXPECT_NE(
            said.find("this reader takes 8-bit unsigned and 16-, 24- and 32-bit signed PCM or 32-bit float"),
            std::string::npos)
            << said;

        size_t at = said.find("sox ");
        ASSERT_NE(at, std::string::npos) << said;
        std::string command = said.substr(at, said.size() - 1 - at);
        ASSERT_EQ(run(command), 0) << command;
        std::string converted = command.substr(command.rfind(" '") + 2);
        converted.pop_back();
        EXPECT_EQ(load(converted), "") << command;
        EXPECT_EQ(s.bits, 16);
        EXPECT_EQ(s.channels, c.channels);
        EXPECT_EQ(s.frequency, c.rate);
        EXPECT_GE(s.length, c.frames * c.channels); // GSM comes in whole 160-sample frames
        EXPECT_GT(peak(s), 2000) << "the sine came through";
    }
    EXPECT_EQ(
        load("gsm.wav"),
        "Not PCM signed: gsm.wav holds GSM 6.10 samples (format 49); this reader takes 8-bit unsigned and "
        "16-, 24- and 32-bit signed PCM or 32-bit float, mono or stereo: sox 'gsm.wav' -b 16 -e "
        "signed-integer 'gsm-16bit.wav'\n");
}
