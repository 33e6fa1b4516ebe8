// Helpers for the sound tests: a scratch data image made the working directory,
// WAV images built byte by byte, sounds made in memory, and single mix passes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../files/image_fixture.h"
#include "files/core.h"
#include "sound/audiodriver.h"
#include "sound/coresound.h"
#include "sound/loadwav.h"
#include "stdout_capture.h"

// A canonical 44-byte header followed by the data bytes.
inline std::string wavimage(uint16_t channels, uint32_t rate, uint16_t bits, const std::string &data,
                            uint16_t format = 1)
{
    auto u16 = [](std::string &out, uint32_t v) {
        out += (char)(v & 255);
        out += (char)(v >> 8 & 255);
    };
    auto u32 = [&](std::string &out, uint32_t v) {
        u16(out, v & 0xffff);
        u16(out, v >> 16);
    };
    std::string out = "RIFF";
    u32(out, (uint32_t)data.size() + 36);
    out += "WAVEfmt ";
    u32(out, 16);
    u16(out, format);
    u16(out, channels);
    u32(out, rate);
    u32(out, rate * channels * (bits / 8));
    u16(out, channels * (bits / 8));
    u16(out, bits);
    out += "data";
    u32(out, (uint32_t)data.size());
    return out + data;
}

inline std::string samples16(const std::vector<int16_t> &values)
{
    std::string out;
    for (int16_t v : values) {
        out += (char)(v & 255);
        out += (char)((uint16_t)v >> 8);
    }
    return out;
}

// A sound as a load would leave it, over a copy of the given samples.
inline void makesound(s_sound *s, uint16_t channels, uint16_t bits, const void *samples, uint32_t bytes,
                      uint32_t frequency = 44100)
{
    memset(s, 0, sizeof *s);
    s->channels = channels;
    s->bits = bits;
    s->size = bytes;
    s->length = bytes / (bits / 8);
    s->frequency = frequency;
    s->data = malloc(bytes ? bytes : 1);
    memcpy(s->data, samples, bytes);
    s->step = frequency * 256u * channels / soundsystem.frequency;
    s->volume = 255;
    s->volume_left = 128;
    s->volume_right = 128;
    s->panning = 128;
    soundsystem.numsounds++;
}

inline void makesound16(s_sound *s, uint16_t channels, const std::vector<int16_t> &values,
                        uint32_t frequency = 44100)
{
    makesound(s, channels, 16, values.data(), (uint32_t)values.size() * 2, frequency);
}

// The files tests' scratch folder, with a `data` folder in it for the sounds.
class SoundTest : public ImageTest {
protected:
    void SetUp() override
    {
        ImageTest::SetUp();
        fs::create_directories("data");
    }

    // Waits until s has moved at least `frames`, or `seconds` have gone; a real device
    // plays at its own pace, so the tests wait loosely and check exact steps.
    static uint64_t waitfor(const s_sound &s, uint64_t frames, int seconds)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        uint64_t now = 0;
        while ((now = Soundsystem_ReadSoundOffset(&s)) < frames && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return now;
    }

    // Plays 30 s of music where no device opened, and checks that the silent device
    // moves it on in whole buffers, and never faster than the clock since `start`.
    static void expect_realtime_music(s_sound *music, std::chrono::steady_clock::time_point start,
                                      int seconds)
    {
        makesound16(music, 2, std::vector<int16_t>(2 * 44100 * 30, 500));
        Soundsystem_PlayMusic(music, 0);
        uint64_t frame = waitfor(*music, 6 * SOUNDSYSTEM_BUFFERLENGTH, seconds);
        const auto micros =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                .count();
        EXPECT_GE(frame, 6u * SOUNDSYSTEM_BUFFERLENGTH);
        EXPECT_EQ(frame % SOUNDSYSTEM_BUFFERLENGTH, 0u);
        EXPECT_LE(frame, (uint64_t)micros * 44100 / 1000000) << "faster than real time";
    }

    // After audiodriver_close no pass runs: the music stays where it was.
    static void expect_still_after_close(const s_sound &music)
    {
        const uint64_t closed = Soundsystem_ReadSoundOffset(&music);
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        EXPECT_EQ(Soundsystem_ReadSoundOffset(&music), closed);
    }

    static void init(unsigned channels = 2)
    {
        printed([&] { ASSERT_EQ(Soundsystem_Init(44100, 16, channels), 1); });
    }

    static void put(const std::string &name, const std::string &bytes)
    {
        std::ofstream(fs::path("data") / name, std::ios::binary) << bytes;
    }

    static std::string get(const std::string &name)
    {
        std::ifstream in(fs::path("data") / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void mount()
    {
        printed([] { corefile_mountimage("data", COREFILE_MOUNT_DIRECTORY); });
    }

    // One 2048-frame pass in the output format; 16-bit samples, interleaved.
    static std::vector<int16_t> pass()
    {
        std::vector<int16_t> out(SOUNDSYSTEM_BUFFERLENGTH * soundsystem.channels);
        audiodriver_mixbuffers(out.data(), (int)(out.size() * 2), 0);
        return out;
    }
};

// A sound system started for each test, with one sound record it deletes afterwards.
class SoundFileTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        init();
    }

    void TearDown() override
    {
        Soundsystem_DeleteSound(&s);
        Soundsystem_CloseAudio();
        SoundTest::TearDown();
    }

    s_sound s{};
};
