// The silent device: a thread of its own that mixes one buffer each time a buffer's
// play time has gone by on the Steady clock. Buffer n is due (n + 1) buffer times
// after the start, worked out from that one point, so sleeping late never adds up
// to drift.
#include "sound/audiodriver_silent.h"
#include "platform/log.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <new>

#include "platform/threads.h"
#include "sound/audiodriver.h"
#include "sound/coresound.h"

namespace {

using Steady = std::chrono::steady_clock;

// On the heap, and left there when the program ends with the device running (the
// show never closes its driver).
struct SilentDevice {
    s_fenkwake *stop;
    s_fenkthread *thread;
    void *buffer;
    int bytes;
    unsigned rate;
};

SilentDevice *running_device;

// Time of `buffers` buffers of 2048 frames at `rate`, exact to the nanosecond.
Steady::duration playtime(uint64_t buffers, unsigned rate)
{
    return std::chrono::duration_cast<Steady::duration>(
        std::chrono::nanoseconds(buffers * SOUNDSYSTEM_BUFFERLENGTH * 1000000000ull / rate));
}

// Sleeps until `due`; false when the device was stopped first.
bool sleepuntil(s_fenkwake *stop, Steady::time_point due)
{
    for (;;) {
        const Steady::duration left = due - Steady::now();
        const int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        if (fenk_wake_sleep(stop, ns)) return false;
        if (ns <= 0) return true;
    }
}

void play(void *arg)
{
    const SilentDevice *device = static_cast<SilentDevice *>(arg);
    const unsigned rate = device->rate;
    Steady::time_point start = Steady::now();
    uint64_t played = 0;
    for (;;) {
        const Steady::time_point due = start + playtime(played + 1, rate);
        if (!sleepuntil(device->stop, due)) return;
        audiodriver_mixbuffers(device->buffer, device->bytes, 0);
        played++;
        // `rate` buffers last exactly 2048 s: moving the start on by that keeps the
        // arithmetic far from overflow however long the device runs.
        if (played == rate) {
            start += playtime(rate, rate);
            played = 0;
        }
        // Held up longer than the ring lasts (the process was stopped, or starved):
        // a sound card would have run dry and play on from now, not race to catch up.
        const Steady::time_point now = Steady::now();
        if (now - due > playtime(AUDIODRIVER_NUMBUFFERS, rate)) start = now - playtime(played, rate);
    }
}

} // namespace

int audiodriver_silent_start(void *buffer, int bytes, unsigned rate)
{
    audiodriver_silent_stop();
    if (!buffer || bytes <= 0 || rate == 0) return 0;
    SilentDevice *device = new (std::nothrow) SilentDevice{fenk_wake_create(), nullptr, buffer, bytes, rate};
    if (device && device->stop) device->thread = fenk_thread_start(play, device);
    if (!device || !device->thread) {
        if (device && device->stop) fenk_wake_destroy(device->stop);
        delete device;
        // The one line a program gets when no sound will move at all.
        fenk_log(FENK_LOG_ERROR, "%s", AUDIODRIVER_SILENT_FAILED);
        return 0;
    }
    running_device = device;
    // What a program needs to know: sound it plays is not heard, but its positions move.
    fenk_log(FENK_LOG_WARNING, "%s", AUDIODRIVER_SILENT_MESSAGE);
    return 1;
}

void audiodriver_silent_stop(void)
{
    SilentDevice *device = running_device;
    if (!device) return;
    fenk_wake_raise(device->stop);
    fenk_thread_join(device->thread);
    fenk_wake_destroy(device->stop);
    running_device = nullptr;
    delete device;
}

int audiodriver_silent_running(void) { return running_device != nullptr; }
