// The silent device: a thread of its own that mixes one buffer each time a buffer's
// play time has gone by on the Steady clock. Buffer n is due (n + 1) buffer times
// after the start, worked out from that one point, so sleeping late never adds up
// to drift.
#include "sound/audiodriver_silent.h"
#include "platform/log.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <thread>

#include "sound/audiodriver.h"
#include "sound/coresound.h"

namespace {

using Steady = std::chrono::steady_clock;

// On the heap, and left there when the program ends with the device running (the
// show never closes its driver): a joinable std::thread destroyed among the
// program's statics would abort it.
struct SilentDevice {
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};

SilentDevice *running_device;

// Time of `buffers` buffers of 2048 frames at `rate`, exact to the nanosecond.
Steady::duration playtime(uint64_t buffers, unsigned rate)
{
    return std::chrono::duration_cast<Steady::duration>(
        std::chrono::nanoseconds(buffers * SOUNDSYSTEM_BUFFERLENGTH * 1000000000ull / rate));
}

void play(SilentDevice *device, void *buffer, int bytes, unsigned rate)
{
    Steady::time_point start = Steady::now();
    uint64_t played = 0;
    std::unique_lock<std::mutex> hold(device->lock);
    for (;;) {
        const Steady::time_point due = start + playtime(played + 1, rate);
        if (device->wake.wait_until(hold, due, [device] { return device->stopping; })) return;
        hold.unlock();
        audiodriver_mixbuffers(buffer, bytes, 0);
        hold.lock();
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
    SilentDevice *device = new (std::nothrow) SilentDevice;
    if (!device) return 0;
    try {
        device->thread = std::thread(play, device, buffer, bytes, rate);
    } catch (...) {
        delete device;
        return 0;
    }
    running_device = device;
    fenk_log(FENK_LOG_INFO, "%s", AUDIODRIVER_SILENT_MESSAGE);
    return 1;
}

void audiodriver_silent_stop(void)
{
    SilentDevice *device = running_device;
    if (!device) return;
    {
        std::lock_guard<std::mutex> hold(device->lock);
        device->stopping = true;
    }
    device->wake.notify_all();
    device->thread.join();
    running_device = nullptr;
    delete device;
}

int audiodriver_silent_running(void) { return running_device != nullptr; }
