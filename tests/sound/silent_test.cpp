// The silent device on its own, over the driver without a device: one pass per
// buffer's play time on the clock, and nothing once stopped.
#include "sound_fixture.h"

#include "sound/audiodriver_silent.h"

namespace {

using steady = std::chrono::steady_clock;

class SilentDevice : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        init();
    }

    void TearDown() override
    {
        audiodriver_silent_stop();
        Soundsystem_DeleteSound(&music);
        Soundsystem_CloseAudio();
        SoundTest::TearDown();
    }

    s_sound music{};
    std::vector<int16_t> buffer = std::vector<int16_t>(2 * SOUNDSYSTEM_BUFFERLENGTH);
};

// The frames `seconds` of the clock hold at 44 100 Hz.
uint64_t framesin(steady::duration elapsed)
{
    return (uint64_t)std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() * 44100 / 1000000;
}

} // namespace

TEST_F(SilentDevice, MixesOneBufferPerBufferTimeAndStops)
{
    makesound16(&music, 2, std::vector<int16_t>(2 * 44100 * 30, 500));
    Soundsystem_PlayMusic(&music, 0);
    const steady::time_point start = steady::now();
    EXPECT_EQ(printed([&] {
                  EXPECT_EQ(audiodriver_silent_start(buffer.data(), (int)buffer.size() * 2, 44100), 1);
              }),
              AUDIODRIVER_SILENT_MESSAGE "\n");
    EXPECT_TRUE(audiodriver_silent_running());

    // Six buffers are 279 ms of the clock: never sooner, and soon enough even loaded.
    const uint64_t frame = waitfor(music, 6 * SOUNDSYSTEM_BUFFERLENGTH, 10);
    const uint64_t clock = framesin(steady::now() - start);
    EXPECT_GE(frame, 6u * SOUNDSYSTEM_BUFFERLENGTH);
    EXPECT_EQ(frame % SOUNDSYSTEM_BUFFERLENGTH, 0u);
    EXPECT_LE(frame, clock) << "ahead of the clock";
    // What was mixed is the music's, into the caller's buffer.
    EXPECT_NE(buffer[0], 0);

    audiodriver_silent_stop();
    EXPECT_FALSE(audiodriver_silent_running());
    const uint64_t stopped = Soundsystem_ReadSoundOffset(&music);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), stopped);
}

TEST_F(SilentDevice, StartingAgainRestartsOnlyOneDevice)
{
    makesound16(&music, 2, std::vector<int16_t>(2 * 44100 * 30, 500));
    Soundsystem_PlayMusic(&music, 0);
    printed([&] {
        audiodriver_silent_start(buffer.data(), (int)buffer.size() * 2, 44100);
        audiodriver_silent_start(buffer.data(), (int)buffer.size() * 2, 44100);
    });
    const steady::time_point start = steady::now();
    const uint64_t frame = waitfor(music, 4 * SOUNDSYSTEM_BUFFERLENGTH, 10);
    // Two devices would mix twice as fast as the clock.
    EXPECT_LE(frame, framesin(steady::now() - start) + SOUNDSYSTEM_BUFFERLENGTH);
}

TEST_F(SilentDevice, RefusesWhatItCannotPlay)
{
    EXPECT_EQ(printed([&] {
                  EXPECT_EQ(audiodriver_silent_start(nullptr, 8192, 44100), 0);
                  EXPECT_EQ(audiodriver_silent_start(buffer.data(), 0, 44100), 0);
                  EXPECT_EQ(audiodriver_silent_start(buffer.data(), 8192, 0), 0);
              }),
              "");
    EXPECT_FALSE(audiodriver_silent_running());
    audiodriver_silent_stop();
    audiodriver_silent_stop();
}
