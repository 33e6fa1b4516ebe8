// The mix pass: gains, panning, clipping, source and output formats, steps, and the
// end of a sound (stop, loop, stream refill).
#include "sound_fixture.h"

namespace {

class SoundMixer : public SoundTest {
protected:
    void TearDown() override
    {
        Soundsystem_CloseAudio();
        SoundTest::TearDown();
    }
};

std::vector<int16_t> constant(size_t count, int16_t value) { return std::vector<int16_t>(count, value); }

} // namespace

TEST_F(SoundMixer, GainsFollowVolumePanningAndGroups)
{
    init();
    s_sound s;
    makesound16(&s, 1, constant(4096, 10000));
    Soundsystem_PlaySound(&s, 1);
    auto out = pass();
    EXPECT_EQ(out[0], (10000 * 127) >> 8);
    EXPECT_EQ(out[1], (10000 * 127) >> 8);

    // Panning 0: left gain (254 x 65025) >> 16 = 252, right 0.
    Soundsystem_SetPanning(&s, 0);
    out = pass();
    EXPECT_EQ(out[0], (10000 * 252) >> 8);
    EXPECT_EQ(out[1], 0);

    // An effect follows the effect group; music follows the music group.
    Soundsystem_SetPanning(&s, 128);
    Soundsystem_SetEffectVolume(128);
    out = pass();
    EXPECT_EQ(out[0], (10000 * ((126 * 128 * 255) >> 16)) >> 8);
    s.music = 1;
    Soundsystem_SetMusicVolume(0);
    EXPECT_EQ(pass()[0], 0);
    Soundsystem_SetMusicVolume(255);
    Soundsystem_SetMasterVolume(64);
    EXPECT_EQ(pass()[0], (10000 * ((126 * 64 * 255) >> 16)) >> 8);
    Soundsystem_DeleteSound(&s);
}

TEST_F(SoundMixer, SumsClipSymmetricallyAndEmptyPassesAreSilent)
{
    init();
    EXPECT_EQ(pass(), constant(4096, 0));

    s_sound a, b, c;
    makesound16(&a, 1, constant(4096, 32767));
    makesound16(&b, 1, {-32768, 32767, -32768, 32767});
    makesound16(&c, 1, constant(4096, -32768));
    for (s_sound *s : {&a, &b}) {
        Soundsystem_SetPanning(s, 0);
        Soundsystem_PlaySound(s, 1);
    }
    auto out = pass();
    EXPECT_EQ(out[0], (32767 * 252 - 32768 * 252) >> 8);
    EXPECT_EQ(out[2], 32767);
    // The low bound is -32767, not -32768.
    Soundsystem_StopSound(&a);
    Soundsystem_SetPanning(&c, 0);
    Soundsystem_PlaySound(&c, 1);
    EXPECT_EQ(pass()[0], -32767);
    for (s_sound *s : {&a, &b, &c}) Soundsystem_DeleteSound(s);
}

TEST_F(SoundMixer, EightBitSourcesAndOutputsAreUnsigned)
{
    init();
    uint8_t bytes[] = {128, 255, 0, 128};
    s_sound s;
    makesound(&s, 1, 8, bytes, sizeof bytes);
    Soundsystem_PlaySound(&s, 1);
    auto out = pass();
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], (32512 * 127) >> 8);
    EXPECT_EQ(out[4], (-32768 * 127) >> 8);

    // An 8-bit device gets (v >> 8) + 128.
    audiodriver_init(44100, 8, 2048, AUDIODRIVER_STEREO);
    std::vector<uint8_t> eight(4096);
    audiodriver_mixbuffers(eight.data(), (int)eight.size(), 0);
    EXPECT_EQ(eight[0], 128);
    EXPECT_EQ(eight[2], (((32512 * 127) >> 8) >> 8) + 128);
    EXPECT_EQ(eight[4], (((-32768 * 127) >> 8) >> 8) + 128);
    Soundsystem_DeleteSound(&s);
}

TEST_F(SoundMixer, MonoOutputAndStereoSources)
{
    init(1);
    s_sound mono, stereo;
    makesound16(&mono, 1, constant(4096, 1000));
    Soundsystem_PlaySound(&mono, 1);
    auto out = pass();
    ASSERT_EQ(out.size(), 2048u);
    EXPECT_EQ(out[0], (1000 * 253) >> 8);
    Soundsystem_StopSound(&mono);

    // Stereo sources are mixed frame by frame: left to left, right to right, their
    // mean to a mono device.
    std::vector<int16_t> frames;
    for (int i = 0; i < 4096; i++) {
        frames.push_back(1000);
        frames.push_back(3000);
    }
    makesound16(&stereo, 2, frames);
    Soundsystem_PlaySound(&stereo, 1);
    EXPECT_EQ(pass()[5], (2000 * 253) >> 8);
    Soundsystem_CloseAudio();

    init(2);
    Soundsystem_PlaySound(&stereo, 1);
    out = pass();
    EXPECT_EQ(out[10], (1000 * 127) >> 8);
    EXPECT_EQ(out[11], (3000 * 127) >> 8);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&stereo), 2048u);
    Soundsystem_DeleteSound(&mono);
    Soundsystem_DeleteSound(&stereo);
}

TEST_F(SoundMixer, FractionalStepsReadTheIntegerPartAndLoopsKeepTheOvershoot)
{
    init();
    s_sound s;
    makesound16(&s, 1, {0, 1000, 2000, 3000, 4000});
    s.step = 384;
    Soundsystem_SetPanning(&s, 0);
    Soundsystem_PlaySound(&s, 1);
    auto out = pass();
    // Positions 0, 384, 768, 1152, then 1536 - 1280 = 256: index 1, not 0, and 640.
    const int indices[] = {0, 1, 3, 4, 1, 2};
    for (int f = 0; f < 6; f++) EXPECT_EQ(out[2 * f], (indices[f] * 1000 * 252) >> 8) << "frame " << f;

    // A sound shorter than one step wraps as often as it must and stays inside.
    s_sound tiny;
    makesound16(&tiny, 1, {7000});
    tiny.step = 1000;
    Soundsystem_StopSound(&s);
    Soundsystem_PlaySound(&tiny, 1);
    out = pass();
    EXPECT_EQ(out[4094], (7000 * 127) >> 8);
    EXPECT_LT(tiny.position, 256u);
    Soundsystem_DeleteSound(&s);
    Soundsystem_DeleteSound(&tiny);
}

TEST_F(SoundMixer, ASoundEndingMidPassLeavesAndTheNextIsStillMixed)
{
    init();
    s_sound first, second;
    makesound16(&first, 1, constant(100, 1000));
    makesound16(&second, 1, constant(4096, 2000));
    Soundsystem_PlaySound(&first, 0);
    Soundsystem_PlaySound(&second, 0);
    auto out = pass();
    EXPECT_EQ(out[2 * 99], ((1000 + 2000) * 127) >> 8);
    EXPECT_EQ(out[2 * 100], (2000 * 127) >> 8);
    EXPECT_EQ(out[2 * 2047], (2000 * 127) >> 8);
    EXPECT_EQ(soundsystem.numactive, 1);
    EXPECT_EQ(active_sounds[0], &second);
    EXPECT_EQ(first.playing, 0);
    EXPECT_EQ(first.position, 0u);
    EXPECT_EQ(Soundsystem_GetSoundOffset(second), 2048u);
    Soundsystem_DeleteSound(&first);
    Soundsystem_DeleteSound(&second);
}

// Sounds of 2^24 samples or more: an end worked out in 32 bits would wrap to a few
// samples and stop the sound at once.
TEST_F(SoundMixer, LongSoundsPlayPastTwoToThe24Samples)
{
    init();
    const uint32_t length = (1u << 24) + 1000;
    s_sound s{};
    s.channels = 1;
    s.bits = 8;
    s.size = s.length = length;
    s.frequency = 44100;
    s.step = 256;
    s.data = malloc(length);
    memset(s.data, 255, length);
    s.volume = 255;
    Soundsystem_SetPanning(&s, 0);
    Soundsystem_PlaySound(&s, 0);
    Soundsystem_SetSoundOffset(&s, length - 500);
    EXPECT_GT(s.position, 0xFFFFFFFFu);
    auto out = pass();
    EXPECT_EQ(out[2 * 499], (32512 * 252) >> 8);
    EXPECT_EQ(out[2 * 500], 0);
    EXPECT_EQ(s.playing, 0);
    Soundsystem_DeleteSound(&s);
}

namespace {
int refills;
void refill(void *data, uint32_t size)
{
    refills++;
    int16_t *samples = (int16_t *)data;
    for (uint32_t i = 0; i < size / 2; i++) samples[i] = (int16_t)(refills * 100);
}
} // namespace

TEST_F(SoundMixer, StreamsAreRefilledEachTimeTheyPassTheirLength)
{
    init();
    s_sound s;
    refills = 0;
    Soundsystem_CreateSoundStream(&s, refill, 44100, 16, 1, 1000);
    EXPECT_EQ(s.size, 2000u);
    EXPECT_EQ(s.loop, 1);
    Soundsystem_SetPanning(&s, 0);
    Soundsystem_PlaySound(&s, 0);
    auto out = pass();
    EXPECT_EQ(refills, 2);
    EXPECT_EQ(out[2 * 999], 0);
    EXPECT_EQ(out[2 * 1000], (100 * 252) >> 8);
    EXPECT_EQ(out[2 * 2000], (200 * 252) >> 8);
    EXPECT_EQ(s.position, 48u * 256);
    EXPECT_EQ(soundsystem.numactive, 1);
    Soundsystem_DeleteSound(&s);
}

// A stereo stream plays all of its memory, both channels, before each refill.
TEST_F(SoundMixer, StereoStreamsPlayTheirWholeMemoryBetweenRefills)
{
    init();
    s_sound s;
    refills = 0;
    Soundsystem_CreateSoundStream(&s, refill, 44100, 16, 2, 1000);
    EXPECT_EQ(s.size, 4000u);
    EXPECT_EQ(s.length, 2000u);
    EXPECT_EQ(s.stream_length, 1000);
    for (int i = 0; i < 2000; i++) ((int16_t *)s.data)[i] = (int16_t)(i % 2 ? -i : i);
    Soundsystem_PlaySound(&s, 0);
    auto out = pass();
    EXPECT_EQ(refills, 2);
    // Frame 999 is the last of the first fill, left and right apart; frame 1000 the
    // first of the refill.
    EXPECT_EQ(out[2 * 999], (1998 * 127) >> 8);
    EXPECT_EQ(out[2 * 999 + 1], (-1999 * 127) >> 8);
    EXPECT_EQ(out[2 * 1000], (100 * 127) >> 8);
    EXPECT_EQ(out[2 * 2000 + 1], (200 * 127) >> 8);
    EXPECT_EQ(Soundsystem_GetSoundOffset(s), 48u);
    Soundsystem_DeleteSound(&s);
}

TEST_F(SoundMixer, PausedAndEmptySoundsAreSkippedAndKeepTheirPlace)
{
    init();
    s_sound paused, empty;
    makesound16(&paused, 1, constant(8192, 1000));
    memset(&empty, 0, sizeof empty);
    empty.channels = 1;
    empty.bits = 16;
    empty.step = 256;
    empty.volume = 255;
    Soundsystem_PlaySound(&empty, 0);
    Soundsystem_PlaySound(&paused, 0);
    pass();
    Soundsystem_PauseSound(&paused);
    EXPECT_EQ(pass(), constant(4096, 0));
    EXPECT_EQ(Soundsystem_GetSoundOffset(paused), 2048u);
    EXPECT_EQ(soundsystem.numactive, 2);
    Soundsystem_ResumeSound(&paused);
    EXPECT_EQ(pass()[0], (1000 * 127) >> 8);
    EXPECT_EQ(Soundsystem_GetSoundOffset(paused), 4096u);
    Soundsystem_DeleteSound(&paused);
}
