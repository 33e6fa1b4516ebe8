// The waveOut driver on the device the system offers (under Wine: ALSA's null PCM,
// which takes sound faster than real time) and on a system without any device, where
// the open fails and the silent device keeps the pace.
#include "sound_fixture.h"

#include "sound/audiodriver_silent.h"

#include <thread>

namespace {

class SoundWaveOut : public SoundTest {
protected:
    void TearDown() override
    {
        Soundsystem_CloseAudio();
        Soundsystem_DeleteSound(&music);
        SoundTest::TearDown();
    }

    uint64_t waitfor(uint64_t frames) { return SoundTest::waitfor(music, frames, 10); }

    s_sound music{};
};

// Set by the test run that uses a configuration without any device.
bool nodevice()
{
    const char *value = getenv("FENK_SOUND_NODEVICE");
    return value && *value;
}

} // namespace

TEST_F(SoundWaveOut, OpensPlaysAndEachPassMoves2048Frames)
{
    if (nodevice()) GTEST_SKIP() << "running without a device";
    std::string log = printed([] { EXPECT_EQ(Soundsystem_Init(44100, 16, 2), 1); });
    EXPECT_NE(log.find("sample size: 4\nbuffer size: 8192\nopen waveout\n"), std::string::npos) << log;
    if (log.find("AUDIO: error opening audio buffer") != std::string::npos)
        GTEST_SKIP() << "no waveOut device here (under Wine, ALSA's null PCM should be the default)";
    EXPECT_NE(log.find("AUDIO: opening audio device succesful!\nopen wav-buffers\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("audiodriver inited\n"), std::string::npos) << log;

    makesound16(&music, 2, std::vector<int16_t>(2 * 44100 * 30, 500));
    Soundsystem_PlayMusic(&music, 0);
    uint64_t frame = waitfor(3 * SOUNDSYSTEM_BUFFERLENGTH);
    EXPECT_GE(frame, 3u * SOUNDSYSTEM_BUFFERLENGTH);
    EXPECT_EQ(frame % SOUNDSYSTEM_BUFFERLENGTH, 0u);

    // Once closed, no completion refills anything.
    Soundsystem_CloseAudio();
    uint64_t closed = Soundsystem_ReadSoundOffset(&music);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), closed);
}

TEST_F(SoundWaveOut, BadFormatsOpenNothing)
{
    EXPECT_EQ(audiodriver_init(0, 16, 2048, 2), 1);
    EXPECT_EQ(printed([] { EXPECT_EQ(audiodriver_init(44100, 12, 2048, 2), 0); }), "");
    audiodriver_close();
}

TEST_F(SoundWaveOut, WithoutADeviceTheMusicPlaysSilentlyInRealTime)
{
    if (!nodevice()) GTEST_SKIP() << "needs the configuration without a device (FENK_SOUND_NODEVICE)";
    const auto start = std::chrono::steady_clock::now();
    std::string log = printed([] { EXPECT_EQ(Soundsystem_Init(44100, 16, 2), 1); });
    EXPECT_NE(
        log.find(
            "open waveout\nopen wav-buffers\nAUDIO: error opening audio buffer\n" AUDIODRIVER_SILENT_MESSAGE
            "\nsoundsystem bufferlength = 2048\n"),
        std::string::npos)
        << log;
    EXPECT_EQ(log.find("audiodriver inited"), std::string::npos) << log;

    expect_realtime_music(&music, start, 10);

    audiodriver_close();
    EXPECT_FALSE(audiodriver_silent_running());
    expect_still_after_close(music);
}
