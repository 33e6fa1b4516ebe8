// The SDL driver against SDL's dummy device (it plays, passes happen) and against a
// device that cannot be opened (the failed open: the message, then the silent device).
#include "sound_fixture.h"

#include "platform/log.h"
#include "sound/audiodriver_silent.h"

#include <unistd.h>

#include <iterator>
#include <thread>

namespace {

class SoundSdl : public SoundTest {
protected:
    void TearDown() override
    {
        Soundsystem_CloseAudio();
        Soundsystem_DeleteSound(&music);
        unsetenv("SDL_AUDIODRIVER");
        SoundTest::TearDown();
    }

    uint64_t waitfor(uint64_t frames) { return SoundTest::waitfor(music, frames, 5); }

    s_sound music{};
};

} // namespace

TEST_F(SoundSdl, TheDummyDevicePlaysAndEachPassMoves2048Frames)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string log = printed([] { EXPECT_EQ(Soundsystem_Init(44100, 16, 2), 1); });
    EXPECT_NE(log.find("sample size: 4\nbuffer size: 8192\n"), std::string::npos) << log;
    EXPECT_NE(log.find("AUDIO: opening audio device succesful!\n"), std::string::npos) << log;
    EXPECT_EQ(soundsystem.bufferlength, 2048u);

    makesound16(&music, 2, std::vector<int16_t>(2 * 44100 * 30, 500));
    Soundsystem_PlayMusic(&music, 0);
    uint64_t frame = waitfor(3 * SOUNDSYSTEM_BUFFERLENGTH);
    EXPECT_GE(frame, 3u * SOUNDSYSTEM_BUFFERLENGTH);
    EXPECT_EQ(frame % SOUNDSYSTEM_BUFFERLENGTH, 0u);

    // Closing stops the passes.
    Soundsystem_CloseAudio();
    uint64_t closed = Soundsystem_ReadSoundOffset(&music);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), closed);
}

TEST_F(SoundSdl, MonoWhenAsked)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string log = printed([] { EXPECT_EQ(Soundsystem_Init(44100, 16, 1), 1); });
    EXPECT_NE(log.find("sample size: 2\nbuffer size: 4096\n"), std::string::npos) << log;
    EXPECT_EQ(soundsystem.channels, 1);
    makesound16(&music, 1, std::vector<int16_t>(44100 * 30, 500));
    Soundsystem_PlayMusic(&music, 0);
    EXPECT_GE(waitfor(SOUNDSYSTEM_BUFFERLENGTH), 1u * SOUNDSYSTEM_BUFFERLENGTH);
}

TEST_F(SoundSdl, NoDeviceRunsSilentlyInRealTime)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const auto start = std::chrono::steady_clock::now();
    std::string log = printed([] { EXPECT_EQ(Soundsystem_Init(44100, 16, 2), 1); });
    EXPECT_NE(log.find("AUDIO: error opening audio buffer\n" AUDIODRIVER_SILENT_MESSAGE "\n"
                       "soundsystem bufferlength = 2048\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("succesful"), std::string::npos) << log;

    expect_realtime_music(&music, start, 5);

    // Opened again, still without a device: the same lines and one silent device.
    EXPECT_EQ(
        printed([] { EXPECT_EQ(audiodriver_init(44100, 16, 2048, 2), 0); }),
        "sample size: 4\nbuffer size: 8192\nAUDIO: error opening audio buffer\n" AUDIODRIVER_SILENT_MESSAGE
        "\n");
    EXPECT_TRUE(audiodriver_silent_running());
    // Closing stops the passes; closing what is closed is harmless.
    audiodriver_close();
    EXPECT_FALSE(audiodriver_silent_running());
    expect_still_after_close(music);
    audiodriver_close();
}

// At warning level a machine without a sound card hears of it once, from the silent
// device's warning: the failed open and ALSA's own lines about the cards it did not find
// are information, printed (ALSA's to standard error, as ALSA prints them) only while
// the log prints information.
TEST_F(SoundSdl, AtWarningLevelNoDeviceIsOneWarningAndALSAIsQuiet)
{
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("ALSA_CONFIG_PATH", FENK_ALSA_NOCARD, 1);
    std::string printed_at[2], errors_at[2];
    for (int level : {0, 1}) {
        const std::string errors = testing::TempDir() + "fenk-sdl-alsa-" + std::to_string(getpid());
        fflush(stderr);
        const int saved = dup(2);
        FILE *file = fopen(errors.c_str(), "w+");
        ASSERT_NE(file, nullptr);
        dup2(fileno(file), 2);
        FENK_SetLogLevel(level ? FENK_LOG_WARNING : FENK_LOG_ALL);
        printed_at[level] = printed([] { EXPECT_EQ(audiodriver_init(44100, 16, 2048, 2), 0); });
        FENK_SetLogLevel(FENK_LOG_ALL);
        audiodriver_close();
        fflush(stderr);
        dup2(saved, 2);
        close(saved);
        fclose(file);
        std::ifstream read(errors);
        errors_at[level].assign(std::istreambuf_iterator<char>(read), std::istreambuf_iterator<char>());
        remove(errors.c_str());
    }
    unsetenv("ALSA_CONFIG_PATH");

    EXPECT_NE(errors_at[0].find("ALSA lib confmisc.c:"), std::string::npos) << errors_at[0];
    EXPECT_NE(errors_at[0].find("cannot find card '31'\n"), std::string::npos) << errors_at[0];
    EXPECT_NE(printed_at[0].find("AUDIO: error opening audio buffer\n" AUDIODRIVER_SILENT_MESSAGE "\n"),
              std::string::npos)
        << printed_at[0];
    EXPECT_EQ(printed_at[1], AUDIODRIVER_SILENT_MESSAGE "\n");
    EXPECT_EQ(errors_at[1], "");
}
