// Web Audio output. A ScriptProcessorNode of the page's AudioContext (made by the host's
// start gate) pulls 2048 frames at a time from the same ring of four buffers the other
// drivers keep: it hands out the oldest mixed buffer and refills each one, with one mix
// pass, as soon as all of it is taken. The page has one thread, so the pulls come while
// the show waits for its next animation frame. Without Web Audio (or a context at
// another rate) the ring is consumed in real time by a timer and plays nothing.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hosts/audiodriver_web.h"
#include "sound/audiodriver.h"
#include "platform/log.h"
#include "sound/audiodriver_silent.h"
#include "sound/coresound.h"

namespace {

struct WebAudio {
    unsigned char *ring;
    int sample_size; // bytes of one frame, all channels
    int buffer_size; // bytes of one buffer
    int bits, channels;
    int cur_buf, cur_taken; // the buffer being handed out and the bytes of it already taken
    int device;             // 1: a node of the page's AudioContext pulls
    int silent;             // 1: the timer consumes the ring
    unsigned rate;
    int pushed;                       // 1: the host gives its clock (audiodriver_web_clock)
    unsigned long long pushed_frames; // what it gave last
    unsigned long long silent_start;  // the clock's audio frames at the start
    unsigned long long silent_done;   // passes run
    float *out;                       // one pull: left channel, then right
    int out_frames;
    double passes; // mix passes run since the program started, device or silent
    double dry;    // buffers the device played before they were filled (played again or silent)
} audio;

float sample(const unsigned char *at, int bits)
{
    if (bits == 16) return (float)(int16_t)(at[0] | at[1] << 8) / 32768.0f;
    return ((float)at[0] - 128.0f) / 128.0f;
}

} // namespace

// Fills one pull of `frames` frames from the ring and returns where it lies, left then
// right, or null when the driver is closed.
extern "C" EMSCRIPTEN_KEEPALIVE float *fenk_web_audiopull(int frames)
{
    if (!audio.ring || !audio.device || frames <= 0) return nullptr;
    if (frames > audio.out_frames) {
        float *grown = (float *)realloc(audio.out, (size_t)frames * 2 * sizeof(float));
        if (!grown) return nullptr;
        audio.out = grown;
        audio.out_frames = frames;
    }
    const int bytes = audio.bits / 8;
    for (int i = 0; i < frames; i++) {
        unsigned char *buffer = audio.ring + (size_t)audio.cur_buf * audio.buffer_size;
        const unsigned char *frame = buffer + audio.cur_taken;
        const float left = sample(frame, audio.bits);
        audio.out[i] = left;
        audio.out[frames + i] = audio.channels == 2 ? sample(frame + bytes, audio.bits) : left;
        audio.cur_taken += audio.sample_size;
        if (audio.cur_taken >= audio.buffer_size) {
            audiodriver_mixbuffers(buffer, audio.buffer_size, 0);
            audio.passes++;
            audio.cur_buf = (audio.cur_buf + 1) % AUDIODRIVER_NUMBUFFERS;
            audio.cur_taken = 0;
        }
    }
    return audio.out;
}

// Frames played by the silent device's clock: the wall clock, or the host's.
static unsigned long long clockframes(void)
{
    if (audio.pushed) return audio.pushed_frames;
    return (unsigned long long)(emscripten_get_now() * audio.rate / 1000);
}

// The silent device: one mix pass for each buffer's play time its clock has gone by
// since the device opened. Run by a timer, and as the host's clock moves.
extern "C" EMSCRIPTEN_KEEPALIVE void fenk_web_audiotick(void)
{
    if (!audio.ring || !audio.silent) return;
    const unsigned long long due = (clockframes() - audio.silent_start) / SOUNDSYSTEM_BUFFERLENGTH;
    // A page hidden for minutes gets its timer back late: what it owes is mixed at once,
    // so the sound's positions keep the clock's pace.
    while (audio.silent_done < due) {
        audiodriver_mixbuffers(audio.ring, audio.buffer_size, 0);
        audio.silent_done++;
        audio.passes++;
    }
}

void audiodriver_web_clock(unsigned long long frames)
{
    audio.pushed = 1;
    audio.pushed_frames = frames;
    fenk_web_audiotick();
}

// For the page: the mix passes run so far (each 2048 frames of the sound's clock).
extern "C" EMSCRIPTEN_KEEPALIVE double fenk_web_audiopasses(void) { return audio.passes; }

// The node's buffers that were due before the page's thread could fill them: the
// browser plays such a buffer again (or silence), and what was mixed for it is lost.
extern "C" EMSCRIPTEN_KEEPALIVE void fenk_web_audiolate(int buffers) { audio.dry += buffers; }
extern "C" EMSCRIPTEN_KEEPALIVE double fenk_web_audiodry(void) { return audio.dry; }

EM_JS(int, web_audio_open, (int rate, int frames), {
    var context = Module.fenkAudioContext;
    if (!context || context.state != 'running' || context.sampleRate != rate ||
        !context.createScriptProcessor)
        return 0;
    var node = context.createScriptProcessor(frames, 0, 2);
    var due = -1;
    node.onaudioprocess = function(event)
    {
        var out = event.outputBuffer;
        var n = out.length;
        // A buffer handed over after its time has begun, or buffers the browser skipped
        // (the page's thread was busy), ran dry.
        var length = n / context.sampleRate;
        var late = context.currentTime > event.playbackTime ? 1 : 0;
        if (due >= 0 && event.playbackTime - due > length / 2)
            late += Math.round((event.playbackTime - due) / length);
        due = event.playbackTime + length;
        if (late) _fenk_web_audiolate(late);
        var at = _fenk_web_audiopull(n);
        if (!at) {
            out.getChannelData(0).fill(0);
            out.getChannelData(1).fill(0);
            return;
        }
        at >>= 2;
        out.getChannelData(0).set(HEAPF32.subarray(at, at + n));
        out.getChannelData(1).set(HEAPF32.subarray(at + n, at + 2 * n));
    };
    node.connect(context.destination);
    Module.fenkAudioNode = node;
    return 1;
});

EM_JS(void, web_audio_shut, (), {
    if (Module.fenkAudioNode) {
        Module.fenkAudioNode.onaudioprocess = null;
        Module.fenkAudioNode.disconnect();
        Module.fenkAudioNode = null;
    }
    if (Module.fenkSilentTimer) clearInterval(Module.fenkSilentTimer);
    Module.fenkSilentTimer = 0;
});

EM_JS(void, web_silent_timer, (), {
    Module.fenkSilentTimer = setInterval(
        function() { _fenk_web_audiotick(); }, 10);
});

int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags)
{
    (void)frames;
    if (rate == 0) return 1;
    audiodriver_close();
    audio.ring = audiodriver_makering(bits, flags, &audio.sample_size, &audio.buffer_size);
    if (!audio.ring) return 0;
    audio.bits = (int)bits;
    audio.channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    audio.rate = rate;
    audio.cur_buf = 0;
    audio.cur_taken = 0;
    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(audio.buffer_size / audio.sample_size);
    soundsystem_unlock();
    if (web_audio_open((int)rate, SOUNDSYSTEM_BUFFERLENGTH)) {
        audio.device = 1;
        fenk_log(FENK_LOG_INFO, "AUDIO: opening audio device succesful!");
        return 1;
    }
    fenk_log(FENK_LOG_WARNING, "%s", AUDIODRIVER_SILENT_MESSAGE);
    audio.silent = 1;
    audio.silent_start = clockframes();
    audio.silent_done = 0;
    web_silent_timer();
    return 0;
}

void audiodriver_close(void)
{
    web_audio_shut();
    audio.device = 0;
    audio.silent = 0;
    free(audio.ring);
    audio.ring = nullptr;
    free(audio.out);
    audio.out = nullptr;
    audio.out_frames = 0;
}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    if (buffer) *buffer = audio.ring ? audio.ring + (size_t)audio.cur_buf * audio.buffer_size : nullptr;
    if (size) *size = (unsigned)audio.buffer_size;
    return 1;
}

// Every buffer is queued from init on and requeued by its refill.
void audiodriver_submitbuffer(void) {}
