// Sound on the engine: voices made in memory and mixed with their own volume and
// panning, a tone that a stream callback writes whenever the mixer asks for more, and
// a melody played as music, its position shown as a bar. Escape ends it.
//
// `sound TRACK` plays a file of `data/` (under the working directory, mounted through
// the file layer) as the music in place of the melody, streamed: an Ogg Vorbis track
// is decoded a little at a time as the mixer plays it, so a long one is never held
// whole in memory.
//
// The parts come in one by one (see `parts`), so each can be heard on its own. The
// bars: one per part (lit once it plays, as long as its volume), the left and right
// output levels of the last mix pass, and the music's position.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "files/core.h"
#include "input/coreinput.h"
#include "platform/host.h"
#include "sound/coresound.h"
#include "video/fenk.h"

namespace {

constexpr int screen_width = 640;
constexpr int screen_height = 360;
constexpr int canvas_width = 320;
constexpr int canvas_height = 180;
// The rate of the sounds made here; the mixer steps them up to the device's rate.
constexpr int rate = 22050;
constexpr double two_pi = 6.283185307179586;
constexpr double tone_hz = 440;
constexpr int note_frames = rate / 4;

s_sound tone, left_voice, right_voice, melody;
const char *track; // the music file named on the command line, or null for the melody
double tone_phase; // carried from refill to refill, so the tone never clicks

// Runs on the audio thread in the middle of a mix pass: it rewrites the stream's whole
// sample memory, which the mixer then plays from its start.
void write_tone(void *data, uint32_t size)
{
    auto *samples = static_cast<int16_t *>(data);
    for (uint32_t i = 0; i < size / 2; ++i) {
        samples[i] = static_cast<int16_t>(8000 * std::sin(tone_phase));
        tone_phase = std::fmod(tone_phase + two_pi * tone_hz / rate, two_pi);
    }
}

// A stream without a callback is a plain looping sound whose samples the program
// writes itself: here one second of a sine, a whole number of periods, so the loop is
// seamless.
void make_voice(s_sound &s, double hz, int volume, int panning)
{
    Soundsystem_CreateSoundStream(&s, nullptr, rate, 16, 1, rate);
    auto *samples = static_cast<int16_t *>(s.data);
    for (int i = 0; samples && i < rate; ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(two_pi * hz * i / rate));
    Soundsystem_SetVolume(&s, volume);
    Soundsystem_SetPanning(&s, panning);
}

// Eight plucked notes, a quarter second each.
void make_melody(s_sound &s)
{
    const double notes[] = {262, 330, 392, 523, 392, 330, 294, 247};
    Soundsystem_CreateSoundStream(&s, nullptr, rate, 16, 1, 8 * note_frames);
    auto *samples = static_cast<int16_t *>(s.data);
    for (int i = 0; samples && i < 8 * note_frames; ++i) {
        const int t = i % note_frames;
        const double envelope = std::exp(-6.0 * t / note_frames);
        samples[i] =
            static_cast<int16_t>(6000 * envelope * std::sin(two_pi * notes[i / note_frames] * t / rate));
    }
}

// The loudest sample of each side in the last pass; the accumulators hold samples
// times gains up to 255.
void output_levels(float &left, float &right)
{
    soundsystem_lock();
    int32_t peak[2] = {0, 0};
    const int32_t *acc = Soundsystem_GetOutputBuffer();
    for (uint32_t i = 0; acc && soundsystem.channels == 2 && i < 2 * soundsystem.bufferlength; ++i)
        if (std::abs(acc[i] >> 8) > peak[i & 1]) peak[i & 1] = std::abs(acc[i] >> 8);
    soundsystem_unlock();
    left = peak[0] / 32768.0f;
    right = peak[1] / 32768.0f;
}

// In the order they start. The bars go by how many have started, not by a record's
// playing flag, which the mixer writes on its own thread.
struct Part {
    unsigned at_ms;
    s_sound *sound;
    const char *line;
    float r, g, b;
};
const Part parts[] = {
    {0, &tone, "0 s: 440 Hz tone from a stream callback, centre", 1, 1, 1},
    {1000, &left_voice, "1 s: 330 Hz voice, volume 255, hard left", 1, 0.3f, 0.3f},
    {2000, &right_voice, "2 s: 550 Hz voice, volume 160, hard right", 0.3f, 0.3f, 1},
    {3000, &melody, "3 s: melody as music", 0.3f, 1, 0.3f},
};
const char *announcement(const Part &p)
{
    return p.sound == &melody && track ? "3 s: track as music" : p.line;
}
constexpr int num_parts = 4;

void draw_frame(int started, float left, float right, float music)
{
    FENK_ClearFrameBuffer(0xFF200808);
    FENK_BindTexture(fenk_whitetexture_id);
    for (int i = 0; i < num_parts; ++i) {
        const Part &p = parts[i];
        FENK_DrawColorQuad(20, 20.0f + i * 24, 255, 16, 0.15f, 0.15f, 0.15f, 1);
        if (i < started) FENK_DrawColorQuad(20, 20.0f + i * 24, p.sound->volume, 16, p.r, p.g, p.b, 1);
    }
    FENK_DrawColorQuad(20, 120, 280 * left, 8, 1, 1, 0, 1);
    FENK_DrawColorQuad(20, 130, 280 * right, 8, 1, 1, 0, 1);
    FENK_DrawColorQuad(20, 150, 280, 12, 0.15f, 0.15f, 0.15f, 1);
    FENK_DrawColorQuad(20, 150, 280 * music, 12, 0.3f, 1, 0.3f, 1);
}

bool escape_pressed()
{
    int keys = 0;
    FENK_GetKeys(&keys, nullptr);
    return (keys & FENK_BUTTON_ESCAPE) != 0;
}

} // namespace

int coremain(int argc, char **argv)
{
    track = argc > 1 ? argv[1] : nullptr;
    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - sound example");
    const int canvas = FENK_CreateFrameBuffer(canvas_width, canvas_height, FENK_FRAMEBUFFER_LINEAR);
    Soundsystem_Init(SOUNDSYSTEM_DEVICERATE, 16, 2);

    // The stream's first samples are written before it plays; later ones on demand.
    Soundsystem_CreateSoundStream(&tone, write_tone, rate, 16, 1, 2048);
    if (tone.data) write_tone(tone.data, tone.size);
    make_voice(left_voice, 330, 255, 0);
    make_voice(right_voice, 550, 160, 255);
    // A track that cannot be streamed says why; the melody plays instead.
    if (track) corefile_mountimage("data", COREFILE_MOUNT_DIRECTORY);
    if (!track || !Soundsystem_StreamSound(track, &melody)) {
        track = nullptr;
        make_melody(melody);
    }
    // The music's length in frames: the melody's, or the track's as its file states it.
    const uint64_t music_frames = melody.channels ? melody.length / melody.channels : 0;
    const double music_rate = melody.frequency ? melody.frequency : rate;

    const unsigned start = FENK_GetMillis();
    int started = 0, last_note = -1;
    while (!escape_pressed()) {
        FENK_WaitRefresh();
        for (; started < num_parts && FENK_GetMillis() - start >= parts[started].at_ms; ++started) {
            puts(announcement(parts[started]));
            if (parts[started].sound == &melody)
                Soundsystem_PlayMusic(&melody, 1);
            else
                Soundsystem_PlaySound(parts[started].sound, 1);
        }

        // The position is read whole while the mixer moves it on another thread.
        const uint64_t position = Soundsystem_ReadSoundOffset(&melody);
        const int note = started == num_parts ? static_cast<int>(position / (music_rate / 4)) : -1;
        if (note != last_note && note >= 0)
            printf("music position %.2f s, %s %d\n", position / music_rate, track ? "quarter" : "note", note);
        last_note = note;

        float left = 0, right = 0;
        output_levels(left, right);
        FENK_SetFrameBuffer(canvas);
        draw_frame(started, left, right,
                   started == num_parts && music_frames ? position / float(music_frames) : 0);
        FENK_SwapBuffers();
    }

    for (const Part &p : parts) Soundsystem_DeleteSound(p.sound);
    Soundsystem_CloseAudio();
    FENK_CloseVideo();
    return 0;
}
