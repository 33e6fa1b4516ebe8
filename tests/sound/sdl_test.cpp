// The SDL driver against SDL's dummy device (it plays, passes happen) and against a
// device that cannot be opened (the failed open: the message, then the silent device).
#include "sound_fixture.h"

#include "sound/audiodriver_silent.h"

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
