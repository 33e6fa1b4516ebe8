// The virtual audio device. The host's clock says how far the device has played;
// the device hands out frames from the oldest queued buffer and refills a buffer,
// with one mix pass, as soon as its last frame is out, exactly as a waveOut ring is
// refilled on each completion. Driver state is guarded by its own lock, taken before
// the sound system's lock whenever both are held.
#include "hosts/audiodriver_headless.h"
#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "sound/coresound.h"
#include "sound/loadwav.h"

namespace {

// The device's whole state.
struct HeadlessAudio {
    std::mutex lock;
    int sample_size;
    int buffer_size;
    uint8_t *audio_buffer;
    int32_t cur_buf;
    uint32_t cur_played; // frames of buffer cur_buf already played
    uint32_t rate;
    uint16_t bits;
    uint16_t channels;
    std::atomic<uint64_t> played;

    // The recording: its format is the device's when its first frame is written.
    FILE *record;
    int record_failed;
    uint64_t record_bytes;
    int record_format;
    uint32_t record_rate;
    uint16_t record_bits;
    uint16_t record_channels;
} audio;

} // namespace

static void closedevice(void)
{
    free(audio.audio_buffer);
    audio.audio_buffer = nullptr;
    audio.cur_buf = 0;
    audio.cur_played = 0;
}

int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags)
{
    (void)frames;
    if (rate == 0) return 1;
    std::lock_guard<std::mutex> hold(audio.lock);
    closedevice();
    audio.played = 0;

    const uint16_t channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    audio.audio_buffer = audiodriver_makering(bits, flags, &audio.sample_size, &audio.buffer_size);
    if (!audio.audio_buffer) return 0;
    audio.rate = rate;
    audio.bits = (uint16_t)bits;
    audio.channels = channels;

    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(audio.buffer_size / audio.sample_size);
    soundsystem_unlock();
    fenk_log(FENK_LOG_INFO, "audiodriver inited");
    return 1;
}

void audiodriver_close(void)
{
    std::lock_guard<std::mutex> hold(audio.lock);
    closedevice();
}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    std::lock_guard<std::mutex> hold(audio.lock);
    if (buffer)
        *buffer =
            audio.audio_buffer ? audio.audio_buffer + (size_t)audio.cur_buf * audio.buffer_size : nullptr;
    if (size) *size = (unsigned)audio.buffer_size;
    return 1;
}

// Every buffer is queued from init on and requeued by its refill: there is nothing
// left for a caller to submit.
void audiodriver_submitbuffer(void) {}

static void recordframes(const uint8_t *frames, size_t bytes)
{
    if (!audio.record_format) {
        audio.record_format = 1;
        audio.record_rate = audio.rate;
        audio.record_bits = audio.bits;
        audio.record_channels = audio.channels;
    }
    if (fwrite(frames, 1, bytes, audio.record) != bytes) audio.record_failed = 1;
    audio.record_bytes += bytes;
}

void audiodriver_headless_advance(uint64_t frames_played)
{
    std::lock_guard<std::mutex> hold(audio.lock);
    uint64_t played = audio.played.load(std::memory_order_relaxed);
    if (!audio.audio_buffer || frames_played <= played) return;
    uint64_t todo = frames_played - played;
    while (todo) {
        uint32_t left = SOUNDSYSTEM_BUFFERLENGTH - audio.cur_played;
        uint32_t count = todo < left ? (uint32_t)todo : left;
        uint8_t *buffer = audio.audio_buffer + (size_t)audio.cur_buf * audio.buffer_size;
        if (audio.record)
            recordframes(buffer + (size_t)audio.cur_played * audio.sample_size,
                         (size_t)count * audio.sample_size);
        audio.cur_played += count;
        played += count;
        todo -= count;
        audio.played.store(played, std::memory_order_relaxed);
        if (audio.cur_played == SOUNDSYSTEM_BUFFERLENGTH) {
            audiodriver_mixbuffers(buffer, audio.buffer_size, 0);
            audio.cur_buf = (audio.cur_buf + 1) % AUDIODRIVER_NUMBUFFERS;
            audio.cur_played = 0;
        }
    }
}

uint64_t audiodriver_headless_played(void) { return audio.played.load(std::memory_order_relaxed); }

static int finishrecord(void)
{
    if (!audio.record) return 0;
    if (!audio.record_format) {
        audio.record_rate = audio.audio_buffer ? audio.rate : SOUNDSYSTEM_DEVICERATE;
        audio.record_bits = audio.audio_buffer ? audio.bits : 16;
        audio.record_channels = audio.audio_buffer ? audio.channels : 2;
    }
    // Past 4 GiB the header's 32-bit sizes cannot describe the data.
    int ok = !audio.record_failed && audio.record_bytes <= 0xFFFFFFFFu - 36;
    uint32_t bytes = ok ? (uint32_t)audio.record_bytes : 0xFFFFFFFFu - 36;

    uint8_t header[SOUNDSYSTEM_WAVHEADER];
    Soundsystem_WAVHeader(header, bytes, audio.record_channels, audio.record_rate, audio.record_bits);
    if (fseek(audio.record, 0, SEEK_SET) != 0 ||
        fwrite(header, 1, sizeof header, audio.record) != sizeof header)
        ok = 0;
    if (fclose(audio.record) != 0) ok = 0;
    audio.record = nullptr;
    return ok;
}

int audiodriver_headless_record(const char *path)
{
    std::lock_guard<std::mutex> hold(audio.lock);
    finishrecord();
    FILE *file = path ? fopen(path, "wb") : nullptr;
    if (!file) {
        fenk_log(FENK_LOG_ERROR, "AUDIO: cannot record to %s\n", path ? path : "");
        return 0;
    }
    // The header is written in full at the end; until then it only holds the place.
    static const uint8_t blank[44] = {0};
    audio.record = file;
    audio.record_failed = fwrite(blank, 1, sizeof blank, file) != sizeof blank;
    audio.record_bytes = 0;
    audio.record_format = 0;
    return 1;
}

int audiodriver_headless_stoprecord(void)
{
    std::lock_guard<std::mutex> hold(audio.lock);
    return finishrecord();
}
