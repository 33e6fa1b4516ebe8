// The virtual device: passes follow the host's clock one per consumed buffer, the
// recording is sample-exact, and the show thread's calls stay whole against a mixer
// running on another thread.
#include "sound_fixture.h"

#include <atomic>
#include <thread>

#include "hosts/audiodriver_headless.h"

namespace {

constexpr uint64_t B = SOUNDSYSTEM_BUFFERLENGTH;

class SoundHeadless : public SoundTest {
protected:
    void TearDown() override
    {
        audiodriver_headless_stoprecord();
        Soundsystem_DeleteSound(&music);
        Soundsystem_DeleteSound(&effect);
        Soundsystem_CloseAudio();
        SoundTest::TearDown();
    }

    s_sound music{}, effect{};
};

std::string readfile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST_F(SoundHeadless, OnePassPerConsumedBufferInStepWithTheClock)
{
    // Before the device exists the clock does nothing.
    audiodriver_headless_advance(100000);
    EXPECT_EQ(audiodriver_headless_played(), 0u);

    std::string log = printed([] { ASSERT_EQ(Soundsystem_Init(44100, 16, 2), 1); });
    EXPECT_EQ(log,
              "sample size: 4\nbuffer size: 8192\naudiodriver inited\nsoundsystem bufferlength = 2048\n");
    makesound16(&music, 2, std::vector<int16_t>(44100 * 2 * 3, 1000));
    Soundsystem_PlayMusic(&music, 0);

    audiodriver_headless_advance(B - 1);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), 0u);
    audiodriver_headless_advance(B);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), B);
    // Moving backwards changes nothing.
    audiodriver_headless_advance(10);
    EXPECT_EQ(audiodriver_headless_played(), B);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), B);

    // One second of device time: 21 whole buffers played, 21 passes.
    audiodriver_headless_advance(44100);
    EXPECT_EQ(audiodriver_headless_played(), 44100u);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), 21 * B);

    // Closed, the clock is ignored and positions stay.
    Soundsystem_CloseAudio();
    audiodriver_headless_advance(1000000);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), 21 * B);
}

TEST_F(SoundHeadless, MonoDeviceAndBadFormats)
{
    EXPECT_EQ(audiodriver_init(0, 16, 2048, 2), 1);
    std::string log = printed([] { EXPECT_EQ(audiodriver_init(44100, 16, 99, 1), 1); });
    EXPECT_EQ(log, "sample size: 2\nbuffer size: 4096\naudiodriver inited\n");
    void *buffer = nullptr;
    unsigned size = 0;
    EXPECT_EQ(audiodriver_getbuffer(&buffer, &size), 1);
    EXPECT_NE(buffer, nullptr);
    EXPECT_EQ(size, 4096u);
    EXPECT_EQ(audiodriver_getbuffer(nullptr, nullptr), 1);

    EXPECT_EQ(printed([] { EXPECT_EQ(audiodriver_init(44100, 12, 2048, 2), 0); }), "");
    audiodriver_headless_advance(B * 8);
    EXPECT_EQ(audiodriver_headless_played(), 0u);
    audiodriver_close();
}

TEST_F(SoundHeadless, RecordingHoldsEveryPlayedFrameExactly)
{
    printed([] { Soundsystem_Init(44100, 16, 2); });
    fs::path path = root_ / "take.wav";
    ASSERT_EQ(audiodriver_headless_record(path.string().c_str()), 1);

    std::vector<int16_t> ramp(2 * 20000);
    for (size_t i = 0; i < ramp.size(); i++) ramp[i] = (int16_t)((i * 37) % 20000 - 10000);
    makesound16(&music, 2, ramp);
    Soundsystem_PlayMusic(&music, 0);

    // Uneven steps, partial buffers included.
    for (uint64_t to : {1u, 1000u, 4095u, 4096u, 9000u, 20001u, 33333u}) audiodriver_headless_advance(to);
    ASSERT_EQ(audiodriver_headless_stoprecord(), 1);
    EXPECT_EQ(audiodriver_headless_stoprecord(), 0);

    std::string file = readfile(path);
    ASSERT_EQ(file.size(), 44 + 33333u * 4);
    std::string header = wavimage(2, 44100, 16, std::string(33333 * 4, '\0')).substr(0, 44);
    EXPECT_EQ(file.substr(0, 44), header);

    const int16_t *frames = (const int16_t *)(file.data() + 44);
    // Gain of a fresh sound at full group volumes: (128 x 255 x 255) >> 16.
    const int32_t gain = 127;
    size_t wrong = 0;
    for (uint64_t f = 0; f < 33333; f++) {
        for (int c = 0; c < 2; c++) {
            // The four silent buffers queued at init come first.
            uint64_t k = f - 4 * B;
            int32_t want = f < 4 * B || k >= 20000 ? 0 : (ramp[2 * k + c] * gain) >> 8;
            wrong += frames[2 * f + c] != want;
        }
    }
    EXPECT_EQ(wrong, 0u);
}

TEST_F(SoundHeadless, RecordingFailuresAreReported)
{
    printed([] { Soundsystem_Init(44100, 16, 2); });
    std::string log = printed(
        [&] { EXPECT_EQ(audiodriver_headless_record((root_ / "no/such/dir.wav").string().c_str()), 0); });
    EXPECT_NE(log.find("AUDIO: cannot record to"), std::string::npos);
    EXPECT_EQ(audiodriver_headless_stoprecord(), 0);

    // A device with no room: opening works, the writes fail.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    ASSERT_EQ(audiodriver_headless_record("/dev/full"), 1);
    audiodriver_headless_advance(44100);
    EXPECT_EQ(audiodriver_headless_stoprecord(), 0);
}

// The show thread plays, pauses, resumes, stops, deletes and reads positions while
// the device clock runs passes on a thread of its own. The music sits across the
// point where its position leaves 32 bits, so a read made of two values' halves
// lands off the 2048-frame grid or past the end.
TEST_F(SoundHeadless, ShowThreadCallsStayWholeAgainstARunningMixer)
{
    printed([] { Soundsystem_Init(44100, 16, 2); });
    const uint32_t length = (1u << 24) + 4 * B;
    std::vector<uint8_t> samples(length, 140);
    makesound(&music, 1, 8, samples.data(), length);
    const uint64_t base = (1u << 24) - 2 * B;

    std::atomic<bool> done{false};
    std::thread device([&] {
        // Paced, as a device is: a mixer that takes the lock back at once, pass after
        // pass, would starve the show thread's calls.
        while (!done.load(std::memory_order_relaxed)) {
            audiodriver_headless_advance(audiodriver_headless_played() + B);
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    });

    std::vector<int16_t> tone(4096, 2000);
    uint64_t torn = 0, reads = 0, stoppedwrong = 0, high = 0;
    auto check = [&] {
        uint64_t frame = Soundsystem_ReadSoundOffset(&music);
        reads++;
        high += frame >= (1u << 24);
        torn += frame % B != 0 || frame >= length;
    };
    for (int i = 0; i < 2000; i++) {
        Soundsystem_PlayMusic(&music, 1);
        Soundsystem_SetSoundOffset(&music, base);
        if (i % 4 == 0) {
            makesound16(&effect, 1, tone);
            Soundsystem_PlaySound(&effect, 1);
        }
        // Read while the device plays three buffers, across the 32-bit boundary.
        uint64_t from = audiodriver_headless_played();
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (audiodriver_headless_played() < from + 3 * B && std::chrono::steady_clock::now() < until)
            check();
        Soundsystem_PauseSound(&music);
        check();
        // The by-value call, on a copy made under the lock.
        soundsystem_lock();
        s_sound copy = music;
        soundsystem_unlock();
        uint64_t frame = Soundsystem_GetSoundOffset(copy);
        torn += frame % B != 0 || frame >= length;
        Soundsystem_ResumeSound(&music);
        Soundsystem_SetVolume(&music, i & 255);
        check();
        if (i % 4 == 3) Soundsystem_DeleteSound(&effect);
        Soundsystem_StopMusic(&music);
        stoppedwrong += Soundsystem_ReadSoundOffset(&music) != 0;
    }
    done = true;
    device.join();

    EXPECT_EQ(torn, 0u) << "of " << reads << " reads";
    EXPECT_EQ(stoppedwrong, 0u);
    // The passes really ran beside the calls, past the 32-bit boundary.
    EXPECT_GE(audiodriver_headless_played(), 2000 * 3 * B);
    EXPECT_GT(high, 0u);
    EXPECT_EQ(soundsystem.numactive, 0);
}
