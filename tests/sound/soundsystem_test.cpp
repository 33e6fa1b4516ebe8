// The programming interface: start-up, the play table rules, volumes and panning,
// steps, offsets and the frequency detector.
#include "sound_fixture.h"

#include <cmath>

namespace {

class SoundSystem : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        init();
        for (s_sound &s : sounds) makesound16(&s, 2, std::vector<int16_t>(44100 * 2, 100));
    }

    void TearDown() override
    {
        for (s_sound &s : sounds) Soundsystem_DeleteSound(&s);
        Soundsystem_CloseAudio();
        SoundTest::TearDown();
    }

    std::vector<s_sound *> table() const { return {active_sounds, active_sounds + soundsystem.numactive}; }

    s_sound sounds[17];
};

} // namespace

TEST_F(SoundSystem, InitSetsTheDefaults)
{
    Soundsystem_CloseAudio();
    EXPECT_EQ(printed([] { EXPECT_EQ(Soundsystem_Init(44100, 16, 2), 1); }),
              "soundsystem bufferlength = 2048\n");
    EXPECT_EQ(soundsystem.mixbuffer_size, 16384u);
    EXPECT_EQ(soundsystem.bufferlength, 2048u);
    EXPECT_EQ(soundsystem.channels, 2);
    EXPECT_EQ(soundsystem.bits, 16);
    EXPECT_EQ(soundsystem.master_volume, 255);
    EXPECT_EQ(soundsystem.music_volume, 255);
    EXPECT_EQ(soundsystem.effect_volume, 255);
    EXPECT_EQ(Soundsystem_GetOutputBuffer(), soundsystem.mixbuffer);

    // Channel counts the mixer does not know are mono, with room for their accumulators.
    printed([] { Soundsystem_Init(44100, 16, 0); });
    EXPECT_EQ(soundsystem.channels, 1);
    EXPECT_EQ(soundsystem.mixbuffer_size, 8192u);
}

TEST_F(SoundSystem, TheTableKeepsOrderWithoutDuplicatesUpToSixteen)
{
    Soundsystem_PlaySound(&sounds[0], 0);
    pass();
    Soundsystem_PlaySound(&sounds[0], 0);
    EXPECT_EQ(table(), std::vector<s_sound *>{&sounds[0]});
    EXPECT_EQ(sounds[0].position, 0u);

    for (int i = 1; i < 17; i++) Soundsystem_PlaySound(&sounds[i], 0);
    EXPECT_EQ(soundsystem.numactive, 16);
    // Not mixed, so not playing: a caller waiting for its end is not kept waiting.
    EXPECT_EQ(sounds[16].playing, 0);
    EXPECT_EQ(table().back(), &sounds[15]);

    // Stopping the first closes the gap in order; the seventeenth then fits.
    Soundsystem_StopSound(&sounds[0]);
    EXPECT_EQ(table()[0], &sounds[1]);
    EXPECT_EQ(table()[1], &sounds[2]);
    Soundsystem_PlaySound(&sounds[16], 0);
    EXPECT_EQ(table().back(), &sounds[16]);
    EXPECT_EQ(sounds[16].playing, 1);
    EXPECT_EQ(soundsystem.numactive, 16);

    // A sound outside the table only has its position and flag reset.
    sounds[0].position = 5000;
    sounds[0].playing = 1;
    Soundsystem_StopMusic(&sounds[0]);
    EXPECT_EQ(sounds[0].position, 0u);
    EXPECT_EQ(sounds[0].playing, 0);
    EXPECT_EQ(soundsystem.numactive, 16);
}

TEST_F(SoundSystem, PlayMusicMarksTheGroupAndLoopOnlySets)
{
    sounds[0].loop = 1;
    Soundsystem_PlayMusic(&sounds[0], 0);
    EXPECT_EQ(sounds[0].music, 1);
    EXPECT_EQ(sounds[0].loop, 1);
    Soundsystem_PlaySound(&sounds[1], 7);
    EXPECT_EQ(sounds[1].loop, 1);
    EXPECT_EQ(sounds[1].music, 0);
}

TEST_F(SoundSystem, VolumeAndPanningDeriveTheChannelGains)
{
    s_sound &s = sounds[0];
    Soundsystem_SetPanning(&s, 128);
    EXPECT_EQ(s.volume_left, 126);
    EXPECT_EQ(s.volume_right, 127);
    Soundsystem_SetVolume(&s, 300);
    EXPECT_EQ(s.volume, 255);
    Soundsystem_SetVolume(&s, -3);
    EXPECT_EQ(s.volume, 0);
    EXPECT_EQ(s.volume_left, 0);
    Soundsystem_SetVolume(&s, 255);
    Soundsystem_SetPanning(&s, 1000);
    EXPECT_EQ(s.panning, 255);
    EXPECT_EQ(s.volume_left, 0);
    EXPECT_EQ(s.volume_right, 254);
    // No lower clamp: the value keeps its low 8 bits.
    Soundsystem_SetPanning(&s, -1);
    EXPECT_EQ(s.panning, 255);

    Soundsystem_SetMasterVolume(999);
    Soundsystem_SetMusicVolume(-5);
    Soundsystem_SetEffectVolume(17);
    EXPECT_EQ(soundsystem.master_volume, 255);
    EXPECT_EQ(soundsystem.music_volume, 0);
    EXPECT_EQ(soundsystem.effect_volume, 17);
}

TEST_F(SoundSystem, FrequencySetsTheStepOnlyAndRefusesRatesThatStandStill)
{
    Soundsystem_SetFrequency(&sounds[0], 88200);
    EXPECT_EQ(sounds[0].step, 1024u);
    EXPECT_EQ(sounds[0].frequency, 44100u);

    // Stereo: 86 Hz gives step 0, 87 Hz step 1.
    for (int hz : {86, 1, 0, -44100}) {
        EXPECT_EQ(printed([&] { Soundsystem_SetFrequency(&sounds[0], hz); }),
                  "Sound frequency not set: " + std::to_string(hz) + " Hz cannot be mixed\n");
        EXPECT_EQ(sounds[0].step, 1024u) << hz;
    }
    EXPECT_EQ(printed([&] { Soundsystem_SetFrequency(&sounds[0], 87); }), "");
    EXPECT_EQ(sounds[0].step, 1u);
}

// Before Init the step is worked out against the device's rate, so such a sound plays.
TEST_F(SoundSystem, SoundsLoadedBeforeInitMove)
{
    Soundsystem_CloseAudio();
    soundsystem.frequency = 0;
    mount();
    put("early.wav", wavimage(2, 44100, 16, samples16(std::vector<int16_t>(2 * 8192, 700))));
    s_sound early;
    printed([&] { ASSERT_EQ(Soundsystem_LoadSound("early.wav", &early), 1); });
    EXPECT_EQ(early.step, 512u);

    init();
    Soundsystem_PlayMusic(&early, 0);
    pass();
    EXPECT_EQ(Soundsystem_GetSoundOffset(early), 2048u);
    Soundsystem_DeleteSound(&early);
}

TEST_F(SoundSystem, OffsetsAreFramesOfTheSound)
{
    s_sound &s = sounds[0];
    Soundsystem_SetSoundOffset(&s, 44100);
    EXPECT_EQ(s.position, 44099u * 512);
    Soundsystem_SetSoundOffset(&s, 22050);
    EXPECT_EQ(s.position, 22050u * 512);
    EXPECT_EQ(Soundsystem_GetSoundOffset(s), 22050u);
    EXPECT_EQ(s.playing, 0);
    EXPECT_EQ(soundsystem.numactive, 0);

    // 44100 frames into a 2-second stereo sound: 22,579,200.
    s_sound longer;
    makesound16(&longer, 2, std::vector<int16_t>(44100 * 4));
    Soundsystem_SetSoundOffset(&longer, 44100);
    EXPECT_EQ(longer.position, 22579200u);
    EXPECT_EQ(Soundsystem_GetSoundOffset(longer), 44100u);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&longer), 44100u);
    Soundsystem_DeleteSound(&longer);

    s_sound empty{};
    empty.position = 12345;
    Soundsystem_SetSoundOffset(&empty, 10);
    EXPECT_EQ(empty.position, 0u);
    empty.position = 12345;
    EXPECT_EQ(Soundsystem_GetSoundOffset(empty), 0u);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&empty), 0u);
}

TEST_F(SoundSystem, MusicOffsetGrows2048PerPassAndIsZeroAfterTheEnd)
{
    s_sound &music = sounds[0]; // one second, stereo, 44100 Hz
    EXPECT_EQ(music.step, 512u);
    Soundsystem_PlayMusic(&music, 0);
    for (uint64_t n = 1; n <= 21; n++) {
        pass();
        EXPECT_EQ(Soundsystem_GetSoundOffset(music), 2048 * n);
    }
    pass();
    EXPECT_EQ(Soundsystem_GetSoundOffset(music), 0u);
    EXPECT_EQ(music.playing, 0);

    // A 22050 Hz sound grows by 1024 frames of its own per pass.
    s_sound half;
    printed([] { Soundsystem_Init(44100, 16, 2); });
    makesound16(&half, 1, std::vector<int16_t>(22050), 22050);
    EXPECT_EQ(half.step, 128u);
    Soundsystem_PlaySound(&half, 0);
    pass();
    EXPECT_EQ(Soundsystem_GetSoundOffset(half), 1024u);
    Soundsystem_DeleteSound(&half);
}

TEST_F(SoundSystem, DeleteReleasesTheSamplesAndCounts)
{
    EXPECT_EQ(soundsystem.numsounds, 17);
    Soundsystem_PlaySound(&sounds[3], 0);
    Soundsystem_DeleteSound(&sounds[3]);
    EXPECT_EQ(sounds[3].data, nullptr);
    EXPECT_EQ(soundsystem.numactive, 0);
    EXPECT_EQ(soundsystem.numsounds, 16);
    soundsystem.numsounds = 0;
    Soundsystem_DeleteSound(&sounds[3]);
    EXPECT_EQ(soundsystem.numsounds, 0);
}

TEST_F(SoundSystem, DetectFrequencyFindsASineAndNothingInSilence)
{
    EXPECT_EQ(Soundsystem_DetectFrequency(1000), 0.0f);
    pass();
    EXPECT_EQ(Soundsystem_DetectFrequency(1000), 0.0f);

    // The detector walks the first 2048 accumulators: on a stereo device, 1024 frames
    // interleaved, so a mono sine of f Hz shows up at f / 2.
    std::vector<int16_t> sine(44100);
    for (size_t i = 0; i < sine.size(); i++)
        sine[i] = (int16_t)(20000 * sin(6.283185307179586 * 1000 * i / 44100.0));
    s_sound s;
    makesound16(&s, 1, sine);
    Soundsystem_PlaySound(&s, 1);
    pass();
    float at = Soundsystem_DetectFrequency(500);
    float off = Soundsystem_DetectFrequency(3000);
    EXPECT_GT(at, 1000 * off);
    EXPECT_GT(at, 1000.0f);
    Soundsystem_DeleteSound(&s);
}
