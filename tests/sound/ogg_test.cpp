// Ogg Vorbis files loaded whole and streamed: their samples against sox's decode
// (libvorbisfile, the reference decoder) within one step of 16 bits, a stream's memory
// against the whole track's, its end, loop and seek, the refusals, and a stream played
// while a mixer runs on a thread of its own.
#include "sound_fixture.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#include <sanitizer/allocator_interface.h>
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>

#include "sound/loadogg.h"

namespace {

const fs::path ogg_dir = OGG_DIR;

// sox's decode of NAME.ogg: 16-bit samples, channels interleaved.
std::vector<int16_t> reference(const std::string &name)
{
    std::ifstream in(ogg_dir / (name + ".raw"), std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = (int16_t)((uint8_t)bytes[2 * i] | (uint8_t)bytes[2 * i + 1] << 8);
    return samples;
}

// The allocator's bytes in use, or -1 where nothing counts them.
long long heapbytes()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return (long long)__sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
    struct mallinfo2 info = mallinfo2();
    return (long long)(info.uordblks + info.hblkhd);
#else
    return -1;
#endif
}

// The last line printed, its line feed kept.
std::string lastline(const std::string &log)
{
    size_t from = log.size() > 1 ? log.rfind('\n', log.size() - 2) : std::string::npos;
    return from == std::string::npos ? log : log.substr(from + 1);
}

// How many of `count` samples lie more than one step from the reference's from
// `first` on, and where the first of them is.
std::string farfrom(const int16_t *got, const std::vector<int16_t> &want, size_t first, size_t count)
{
    size_t far = 0, at = 0;
    for (size_t i = 0; i < count; i++)
        if (std::abs(got[i] - want[first + i]) > 1 && !far++) at = first + i;
    return far ? std::to_string(far) + " samples off, the first at " + std::to_string(at) : "";
}

class Ogg : public SoundFileTest {
protected:
    void SetUp() override
    {
        SoundFileTest::SetUp();
        for (const char *name : {"stereo.ogg", "mono22k.ogg", "surround.ogg", "long.ogg"})
            fs::copy_file(ogg_dir / name, fs::path("data") / name);
    }

    // A pass of a centred sound at full volumes: each output sample is the source's
    // (v x 127) >> 8. Checks the frames the pass took from track frame `from` against
    // the reference, and silence past the track's end when it does not loop.
    static std::string passfrom(const std::vector<int16_t> &want, size_t from, bool loops)
    {
        const std::vector<int16_t> out = pass();
        const size_t frames = want.size() / 2;
        size_t far = 0;
        for (size_t f = 0; f < SOUNDSYSTEM_BUFFERLENGTH; f++)
            for (size_t c = 0; c < 2; c++) {
                size_t frame = loops ? (from + f) % frames : from + f;
                int expected = frame < frames ? (want[2 * frame + c] * 127) >> 8 : 0;
                far += std::abs(out[2 * f + c] - expected) > 1;
            }
        return far ? std::to_string(far) + " samples off in the pass from frame " + std::to_string(from) : "";
    }
};

} // namespace

TEST_F(Ogg, LoadedFilesMatchAnIndependentDecodeWithinOneStep)
{
    mount();
    struct Case {
        const char *name;
        uint16_t channels;
        uint32_t rate;
    } cases[] = {{"Stereo.OGG", 2, 44100}, {"mono22k.ogg", 1, 22050}};
    for (const Case &c : cases) {
        std::string stem = c.name;
        std::transform(stem.begin(), stem.end(), stem.begin(), ::tolower);
        const std::vector<int16_t> want = reference(stem.substr(0, stem.size() - 4));
        ASSERT_FALSE(want.empty());
        printed([&] { ASSERT_EQ(Soundsystem_LoadSound(c.name, &s), 1); });
        EXPECT_EQ(s.channels, c.channels);
        EXPECT_EQ(s.bits, 16);
        EXPECT_EQ(s.frequency, c.rate);
        EXPECT_EQ(s.step, c.rate * 256 * c.channels / 44100);
        ASSERT_EQ(s.length, want.size()) << c.name;
        EXPECT_EQ(s.size, want.size() * 2);
        EXPECT_EQ(farfrom((const int16_t *)s.data, want, 0, want.size()), "") << c.name;
        Soundsystem_DeleteSound(&s);
    }

    // Six channels come mixed down to stereo, every frame kept.
    const size_t frames = reference("surround").size() / 6;
    printed([&] { ASSERT_EQ(Soundsystem_LoadSound("surround.ogg", &s), 1); });
    EXPECT_EQ(s.channels, 2);
    EXPECT_EQ(s.length, frames * 2);
    const int16_t *samples = (const int16_t *)s.data;
    EXPECT_NE((size_t)std::count(samples, samples + s.length, 0), (size_t)s.length);
}

TEST_F(Ogg, AStreamPlaysTheTrackWithinOneStepAndEndsAtItsEnd)
{
    mount();
    const std::vector<int16_t> want = reference("stereo");
    const size_t frames = want.size() / 2;
    printed([&] { ASSERT_EQ(Soundsystem_StreamSound("stereo.ogg", &s), 1); });
    EXPECT_EQ(s.stream, 1);
    EXPECT_EQ(s.channels, 2);
    EXPECT_EQ(s.frequency, 44100u);
    EXPECT_EQ(s.size, SOUNDSYSTEM_STREAMFRAMES * 4u);
    EXPECT_EQ(s.loop, 0);

    Soundsystem_PlayMusic(&s, 0);
    size_t played = 0;
    for (; played < frames && s.playing; played += SOUNDSYSTEM_BUFFERLENGTH) {
        ASSERT_EQ(Soundsystem_ReadSoundOffset(&s), played);
        ASSERT_EQ(passfrom(want, played, false), "");
    }
    // The pass that reached the end was silent after it, and the stream stopped.
    EXPECT_EQ(played,
              (frames + SOUNDSYSTEM_BUFFERLENGTH - 1) / SOUNDSYSTEM_BUFFERLENGTH * SOUNDSYSTEM_BUFFERLENGTH);
    EXPECT_EQ(s.playing, 0);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&s), 0u);
    EXPECT_EQ(soundsystem.numactive, 0);

    // Played again, it starts from the track's start.
    Soundsystem_PlayMusic(&s, 0);
    EXPECT_EQ(passfrom(want, 0, false), "");
    // And from the start again while it plays.
    Soundsystem_PlayMusic(&s, 0);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&s), 0u);
    EXPECT_EQ(passfrom(want, 0, false), "");
}

TEST_F(Ogg, AStreamSeeksAndLoopsInTheTrack)
{
    mount();
    const std::vector<int16_t> want = reference("stereo");
    const size_t frames = want.size() / 2;
    printed([&] { ASSERT_EQ(Soundsystem_StreamSound("stereo.ogg", &s), 1); });
    Soundsystem_PlayMusic(&s, 1);

    Soundsystem_SetSoundOffset(&s, 100000);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&s), 100000u);
    EXPECT_EQ(passfrom(want, 100000, true), "");
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&s), 100000u + SOUNDSYSTEM_BUFFERLENGTH);

    // Across the end: the last 1000 frames, then the start with no gap, counted from 0.
    Soundsystem_SetSoundOffset(&s, frames - 1000);
    EXPECT_EQ(passfrom(want, frames - 1000, true), "");
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&s), SOUNDSYSTEM_BUFFERLENGTH - 1000u);
    EXPECT_EQ(passfrom(want, SOUNDSYSTEM_BUFFERLENGTH - 1000, true), "");
    EXPECT_EQ(s.playing, 1);

    // Past the end: held to the last frame, as a loaded sound's offset is.
    Soundsystem_SetSoundOffset(&s, 1u << 30);
    EXPECT_EQ(Soundsystem_ReadSoundOffset(&s), frames - 1);
    Soundsystem_SetSoundOffset(&s, 0);
    EXPECT_EQ(passfrom(want, 0, true), "");
}

// Three minutes of stereo are 31.75 MB of samples; the stream holds its buffer and the
// decoder's tables, and nothing more while it plays, seeks and ends.
TEST_F(Ogg, AStreamsMemoryIsItsBufferWhateverTheTracksLength)
{
    if (heapbytes() < 0) GTEST_SKIP() << "no count of the allocator's bytes in this build";
    mount();
    const long long before = heapbytes();
    printed([&] { ASSERT_EQ(Soundsystem_StreamSound("long.ogg", &s), 1); });
    const long long opened = heapbytes();
    EXPECT_EQ(s.size, SOUNDSYSTEM_STREAMFRAMES * 4u);

    long long peak = opened;
    auto play = [&](int passes) {
        for (int i = 0; i < passes && s.playing; i++) {
            pass();
            peak = std::max(peak, heapbytes());
        }
    };
    Soundsystem_PlayMusic(&s, 0);
    play(100);
    Soundsystem_SetSoundOffset(&s, 170 * 44100);
    play(1000);
    EXPECT_EQ(s.playing, 0) << "the track did not end";

    const long long track = 180LL * 44100 * 4;
    EXPECT_LT(peak - before, 1 << 20) << "of a track of " << track << " bytes";
    EXPECT_LT(peak - opened, 64 * 1024) << "grew while it played";
    RecordProperty("stream_bytes", std::to_string(opened - before));
    std::printf("streaming %lld bytes of samples took %lld bytes, %lld more while playing\n", track,
                opened - before, peak - opened);
}

TEST_F(Ogg, RefusalsNameTheFileAndWhatTheEngineReads)
{
    const std::string whole = get("stereo.ogg");
    // An Ogg page whose first packet is an Opus header.
    std::string opus = std::string("OggS\0\x02", 6) + std::string(20, '\0') + "\x01\x13" + "OpusHead" +
                       std::string(11, '\x01');
    put("junk.ogg", "not an Ogg file at all");
    put("my song.ogg", opus);
    put("cut.ogg", whole.substr(0, 200));
    put("half.ogg", whole.substr(0, whole.size() / 2));
    put("song.wav", wavimage(1, 44100, 16, samples16({1, 2, 3})));
    mount();
    const std::string reads = "this engine reads Ogg Vorbis (.ogg) and PCM WAV (.wav) sounds";
    struct Case {
        const char *name;
        std::string says;
    } cases[] = {
        {"junk.ogg", "No Ogg file: junk.ogg does not start with an Ogg page; " + reads + "\n"},
        {"my song.ogg", "Ogg format not supported: my song.ogg holds Opus audio; " + reads +
                            ": ffmpeg -i 'my song.ogg' -c:a libvorbis 'my song-vorbis.ogg'\n"},
        {"cut.ogg",
         "Ogg Vorbis file not read: cut.ogg: its Vorbis headers are cut short or damaged (stb_vorbis "
         "error 20)\n"},
        {"missing.ogg", "No Ogg file: missing.ogg cannot be opened in the data folder\n"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(lastline(printed([&] { EXPECT_EQ(Soundsystem_LoadSound(c.name, &s), 0); })), c.says);
        EXPECT_EQ(s.data, nullptr);
        EXPECT_EQ(s.length, 0u);
        EXPECT_EQ(lastline(printed([&] { EXPECT_EQ(Soundsystem_StreamSound(c.name, &s), 0); })), c.says);
        EXPECT_EQ(s.data, nullptr);
    }
    EXPECT_EQ(
        lastline(printed([&] { EXPECT_EQ(Soundsystem_StreamSound("song.wav", &s), 0); })),
        "Sound not streamed: song.wav is not an Ogg Vorbis file (.ogg), the one kind this engine streams; "
        "Soundsystem_LoadSound reads a WAV whole\n");

    // A file cut in its middle keeps the frames before the cut; the last block before
    // it has no next one to overlap, so only the frames before that block are the
    // whole file's.
    const std::vector<int16_t> want = reference("stereo");
    printed([&] { ASSERT_EQ(Soundsystem_LoadSound("half.ogg", &s), 1); });
    EXPECT_GT(s.length, want.size() / 3);
    EXPECT_LT(s.length, want.size());
    EXPECT_EQ(farfrom((const int16_t *)s.data, want, 0, s.length - 2 * 2048), "");

#ifndef _WIN32
    // The command the refusal gives makes, from a real Opus file, one that loads.
    Soundsystem_DeleteSound(&s);
    const fs::path data = fs::absolute("data");
    ASSERT_EQ(std::system(("cd '" + data.string() +
                           "' && ffmpeg -v error -i stereo.ogg -c:a libopus "
                           "-f ogg 'my song.ogg' -y && ffmpeg -v error -i 'my song.ogg' "
                           "-c:a libvorbis 'my song-vorbis.ogg'")
                              .c_str()),
              0);
    mount();
    std::string log = printed([&] { EXPECT_EQ(Soundsystem_LoadSound("my song.ogg", &s), 0); });
    EXPECT_NE(log.find("holds Opus audio"), std::string::npos) << log;
    printed([&] { EXPECT_EQ(Soundsystem_LoadSound("my song-vorbis.ogg", &s), 1); });
    EXPECT_EQ(s.channels, 2);
#endif
}

// The show thread streams, plays, seeks, restarts, reads and deletes while passes run
// on a thread of their own, as a device runs them; loads open decoders beside it.
TEST_F(Ogg, StreamsStayWholeAgainstARunningMixer)
{
    mount();
    const uint64_t frames = reference("stereo").size() / 2;
    std::atomic<bool> done{false};
    std::atomic<int> passes{0};
    std::thread device([&] {
        std::vector<int16_t> out(2 * SOUNDSYSTEM_BUFFERLENGTH);
        while (!done.load()) {
            audiodriver_mixbuffers(out.data(), (int)out.size() * 2, 0);
            passes++;
            // Paced, as a device is, so the show thread's calls get the lock.
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    s_sound other{};
    uint64_t wrong = 0, reads = 0;
    // Passes move the track by whole passes from the seek, wrapping when it loops; one
    // that does not loop reads 0 once ended. The show thread may be held off the
    // processor for many passes, so how many have run is not known.
    auto whole = [&](uint64_t frame, uint64_t at, bool loops) {
        if (frame >= frames) return false;
        if (!loops && frame == 0) return true;
        for (uint64_t wraps = 0; wraps <= (loops ? 100u : 0u); wraps++) {
            const uint64_t moved = frame + wraps * frames;
            if (moved >= at && (moved - at) % SOUNDSYSTEM_BUFFERLENGTH == 0) return true;
        }
        return false;
    };
    for (int i = 0; i < 40; i++) {
        printed([&] {
            ASSERT_EQ(Soundsystem_StreamSound("stereo.ogg", &s), 1);
            ASSERT_EQ(Soundsystem_LoadSound("mono22k.ogg", &other), 1);
        });
        const bool loops = i & 1;
        Soundsystem_PlayMusic(&s, loops);
        const uint64_t at = 50000 + (uint64_t)i * 3000;
        Soundsystem_SetSoundOffset(&s, at);
        const int from = passes.load();
        while (passes.load() < from + 3) {
            reads++;
            wrong += !whole(Soundsystem_ReadSoundOffset(&s), at, loops);
        }
        Soundsystem_PlaySound(&s, 0);
        reads++;
        wrong += !whole(Soundsystem_ReadSoundOffset(&s), 0, loops);
        Soundsystem_DeleteSound(&other);
        Soundsystem_DeleteSound(&s);
    }
    done = true;
    device.join();
    EXPECT_EQ(wrong, 0u) << "of " << reads << " reads";
}
