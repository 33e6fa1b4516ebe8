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

TEST_F(SoundWavTools, RefusedLayoutsNameTheSoxCommandThatConvertsThem)
{
    if (!have("sox")) GTEST_SKIP() << "sox is not installed";
    const struct {
        const char *name, *made;
        int channels;
    } cases[] = {
        {"s24.wav", "-c 2 -b 24 -e signed-integer", 2}, // extensible, with a fact chunk
        {"f32.wav", "-c 1 -b 32 -e floating-point", 1}, // an 18-byte format chunk, fact
        {"c3.wav", "-c 3 -b 16 -e signed-integer", 2},  // extensible PCM in three channels
        {"ulaw.wav", "-c 1 -e mu-law", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(run(std::string("sox -n -r 44100 ") + c.made + " " + c.name + " synth 0.05 sine 440"), 0);
        std::string said = load(c.name);
        EXPECT_EQ(s.data, nullptr);
        ASSERT_FALSE(said.empty());
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
        EXPECT_NE(said.find(std::string(": ") + c.name + " "), std::string::npos) << said;
        EXPECT_NE(said.find("this reader takes 16-bit signed"), std::string::npos) << said;

        size_t at = said.find("sox ");
        ASSERT_NE(at, std::string::npos) << said;
        std::string command = said.substr(at, said.size() - 1 - at);
        ASSERT_EQ(run(command), 0) << command;
        std::string converted = command.substr(command.rfind(' ') + 1);
        EXPECT_EQ(load(converted), "") << command;
        EXPECT_EQ(s.bits, 16);
        EXPECT_EQ(s.channels, c.channels);
        EXPECT_EQ(s.frequency, 44100u);
        EXPECT_EQ(s.length, 2205u * c.channels);
        EXPECT_GT(peak(s), 16000) << "the sine came through";
    }
    EXPECT_EQ(load("f32.wav"),
              "Not PCM signed: f32.wav holds 32-bit IEEE float samples (format 3); this reader "
              "takes 16-bit signed (or 8-bit unsigned) PCM, mono or stereo: sox f32.wav -b 16 -e "
              "signed-integer f32-16bit.wav\n");
}
