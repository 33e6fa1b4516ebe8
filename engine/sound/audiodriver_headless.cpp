// The virtual audio device. The host's clock says how far the device has played;
// the device hands out frames from the oldest queued buffer and refills a buffer,
// with one mix pass, as soon as its last frame is out, exactly as a waveOut ring is
// refilled on each completion. Driver state is guarded by its own lock, taken before
// the sound system's lock whenever both are held.
#include "sound/audiodriver_headless.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "sound/coresound.h"
#include "sound/loadwav.h"

static std::mutex g_lock;
static int g_sample_size;
static int g_buffer_size;
static uint8_t *g_audio_buffer;
static int32_t g_cur_buf;
static uint32_t g_cur_played; // frames of buffer g_cur_buf already played
static uint32_t g_rate;
static uint16_t g_bits;
static uint16_t g_channels;
static std::atomic<uint64_t> g_played;

// The recording: its format is the device's when its first frame is written.
static FILE *g_record;
static int g_record_failed;
static uint64_t g_record_bytes;
static int g_record_format;
static uint32_t g_record_rate;
static uint16_t g_record_bits;
static uint16_t g_record_channels;

static void closedevice(void)
{
    free(g_audio_buffer);
    g_audio_buffer = nullptr;
    g_cur_buf = 0;
    g_cur_played = 0;
}

int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags)
{
    (void)frames;
    if (rate == 0) return 1;
    std::lock_guard<std::mutex> hold(g_lock);
    closedevice();
    g_played = 0;

    const uint16_t channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    g_audio_buffer = audiodriver_makering(bits, flags, &g_sample_size, &g_buffer_size);
    if (!g_audio_buffer) return 0;
    g_rate = rate;
    g_bits = (uint16_t)bits;
    g_channels = channels;

    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(g_buffer_size / g_sample_size);
    soundsystem_unlock();
    puts("audiodriver inited");
    return 1;
}

void audiodriver_close(void)
{
    std::lock_guard<std::mutex> hold(g_lock);
    closedevice();
}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (buffer) *buffer = g_audio_buffer ? g_audio_buffer + (size_t)g_cur_buf * g_buffer_size : nullptr;
    if (size) *size = (unsigned)g_buffer_size;
    return 1;
}

// Every buffer is queued from init on and requeued by its refill: there is nothing
// left for a caller to submit.
void audiodriver_submitbuffer(void) {}

static void recordframes(const uint8_t *frames, size_t bytes)
{
    if (!g_record_format) {
        g_record_format = 1;
        g_record_rate = g_rate;
        g_record_bits = g_bits;
        g_record_channels = g_channels;
    }
    if (fwrite(frames, 1, bytes, g_record) != bytes) g_record_failed = 1;
    g_record_bytes += bytes;
}

void audiodriver_headless_advance(uint64_t frames_played)
{
    std::lock_guard<std::mutex> hold(g_lock);
    uint64_t played = g_played.load(std::memory_order_relaxed);
    if (!g_audio_buffer || frames_played <= played) return;
    uint64_t todo = frames_played - played;
    while (todo) {
        uint32_t left = SOUNDSYSTEM_BUFFERLENGTH - g_cur_played;
        uint32_t count = todo < left ? (uint32_t)todo : left;
        uint8_t *buffer = g_audio_buffer + (size_t)g_cur_buf * g_buffer_size;
        if (g_record)
            recordframes(buffer + (size_t)g_cur_played * g_sample_size, (size_t)count * g_sample_size);
        g_cur_played += count;
        played += count;
        todo -= count;
        g_played.store(played, std::memory_order_relaxed);
        if (g_cur_played == SOUNDSYSTEM_BUFFERLENGTH) {
            audiodriver_mixbuffers(buffer, g_buffer_size, 0);
            g_cur_buf = (g_cur_buf + 1) % AUDIODRIVER_NUMBUFFERS;
            g_cur_played = 0;
        }
    }
}

uint64_t audiodriver_headless_played(void) { return g_played.load(std::memory_order_relaxed); }

static int finishrecord(void)
{
    if (!g_record) return 0;
    if (!g_record_format) {
        g_record_rate = g_audio_buffer ? g_rate : SOUNDSYSTEM_DEVICERATE;
        g_record_bits = g_audio_buffer ? g_bits : 16;
        g_record_channels = g_audio_buffer ? g_channels : 2;
    }
    // Past 4 GiB the header's 32-bit sizes cannot describe the data.
    int ok = !g_record_failed && g_record_bytes <= 0xFFFFFFFFu - 36;
    uint32_t bytes = ok ? (uint32_t)g_record_bytes : 0xFFFFFFFFu - 36;

    uint8_t header[SOUNDSYSTEM_WAVHEADER];
    Soundsystem_WAVHeader(header, bytes, g_record_channels, g_record_rate, g_record_bits);
    if (fseek(g_record, 0, SEEK_SET) != 0 || fwrite(header, 1, sizeof header, g_record) != sizeof header)
        ok = 0;
    if (fclose(g_record) != 0) ok = 0;
    g_record = nullptr;
    return ok;
}

int audiodriver_headless_record(const char *path)
{
    std::lock_guard<std::mutex> hold(g_lock);
    finishrecord();
    FILE *file = path ? fopen(path, "wb") : nullptr;
    if (!file) {
        printf("AUDIO: cannot record to %s\n", path ? path : "");
        return 0;
    }
    // The header is written in full at the end; until then it only holds the place.
    static const uint8_t blank[44] = {0};
    g_record = file;
    g_record_failed = fwrite(blank, 1, sizeof blank, file) != sizeof blank;
    g_record_bytes = 0;
    g_record_format = 0;
    return 1;
}

int audiodriver_headless_stoprecord(void)
{
    std::lock_guard<std::mutex> hold(g_lock);
    return finishrecord();
}
