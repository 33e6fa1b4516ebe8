// waveOut output: a ring of four buffers, all queued at start; each time the device
// has played one, the next buffer of the ring is mixed anew and queued again.
// waveOut functions must not be called from the completion callback (the system
// may hold its own lock there), so the callback only counts completions and a
// refill thread of the driver's own does the unprepare, mix, prepare and write.
// Where waveOut cannot open, the silent device keeps the same pace.
#include "hosts/audiodriver_win32.h"
#include "platform/log.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sound/audiodriver_silent.h"
#include "sound/coresound.h"

static int g_sample_size;
static int g_buffer_size;
static uint8_t *g_audio_buffer;
static int32_t g_cur_buf;
static int32_t g_num_prep_buffers;
static int32_t g_waveout_opened;
static HWAVEOUT g_wo;
static WAVEFORMATEX g_wf;
static WAVEHDR g_hdr[AUDIODRIVER_NUMBUFFERS];

static HANDLE buffers_done; // one count per WOM_DONE
static HANDLE refiller;
static volatile LONG stopping;

// The buffer refilled is g_cur_buf, not the one named by the notification: buffers
// complete in the order they were queued.
static void fillnextbuffer(void)
{
    WAVEHDR *header = &g_hdr[g_cur_buf];
    if (header->dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(g_wo, header, sizeof *header);
    if (!g_audio_buffer) return;
    memset(header, 0, sizeof *header);
    header->lpData = (LPSTR)(g_audio_buffer + (size_t)g_cur_buf * g_buffer_size);
    header->dwBufferLength = (DWORD)g_buffer_size;
    waveOutPrepareHeader(g_wo, header, sizeof *header);
    audiodriver_mixbuffers(header->lpData, (int)header->dwBufferLength, 0);
    waveOutWrite(g_wo, header, sizeof *header);
    g_cur_buf = (g_cur_buf + 1) % AUDIODRIVER_NUMBUFFERS;
}

static void CALLBACK waveOutProc(HWAVEOUT, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    if (message == WOM_DONE) ReleaseSemaphore(buffers_done, 1, nullptr);
}

static DWORD WINAPI refillthread(LPVOID)
{
    for (;;) {
        WaitForSingleObject(buffers_done, INFINITE);
        if (InterlockedCompareExchange(&stopping, 0, 0)) return 0;
        fillnextbuffer();
    }
}

// No device: what was opened is let go, and the ring's first buffer becomes the
// silent device's. Still 0, as no sound is heard.
static int startsilent(unsigned rate)
{
    uint8_t *ring = g_audio_buffer;
    g_audio_buffer = nullptr;
    audiodriver_close();
    g_audio_buffer = ring;
    if (!audiodriver_silent_start(g_audio_buffer, g_buffer_size, rate)) {
        audiodriver_close();
        return 0;
    }
    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(g_buffer_size / g_sample_size);
    soundsystem_unlock();
    return 0;
}

int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags)
{
    (void)frames;
    if (rate == 0) return 1;
    if (g_audio_buffer || g_waveout_opened) audiodriver_close();

    const uint16_t channels = (flags & AUDIODRIVER_STEREO) ? 2 : 1;
    g_audio_buffer = audiodriver_makering(bits, flags, &g_sample_size, &g_buffer_size);
    buffers_done = CreateSemaphoreA(nullptr, 0, 0x7fffffff, nullptr);
    if (!g_audio_buffer || !buffers_done) {
        audiodriver_close();
        return 0;
    }

    fenk_log(FENK_LOG_INFO, "open waveout");
    memset(&g_wf, 0, sizeof g_wf);
    g_wf.wFormatTag = WAVE_FORMAT_PCM;
    g_wf.nChannels = channels;
    g_wf.nSamplesPerSec = rate;
    g_wf.nAvgBytesPerSec = (DWORD)g_sample_size * rate;
    g_wf.nBlockAlign = (WORD)g_sample_size;
    g_wf.wBitsPerSample = (WORD)bits;
    g_wf.cbSize = 0;
    g_wo = nullptr;
    // A failed open shows up when the first header cannot be prepared.
    if (waveOutOpen(&g_wo, WAVE_MAPPER, &g_wf, (DWORD_PTR)waveOutProc, 0, CALLBACK_FUNCTION) ==
        MMSYSERR_NOERROR)
        fenk_log(FENK_LOG_INFO, "AUDIO: opening audio device succesful!");
    g_waveout_opened = 1;

    fenk_log(FENK_LOG_INFO, "open wav-buffers");
    g_cur_buf = 0;
    for (int i = 0; i < AUDIODRIVER_NUMBUFFERS; i++) {
        memset(&g_hdr[i], 0, sizeof g_hdr[i]);
        g_hdr[i].lpData = (LPSTR)(g_audio_buffer + (size_t)i * g_buffer_size);
        g_hdr[i].dwBufferLength = (DWORD)g_buffer_size;
        if (waveOutPrepareHeader(g_wo, &g_hdr[i], sizeof g_hdr[i]) != MMSYSERR_NOERROR) {
            // Information only: the silent device's warning, or its error, says what follows.
            fenk_log(FENK_LOG_INFO, "AUDIO: error opening audio buffer");
            return startsilent(rate);
        }
        g_num_prep_buffers = i + 1;
    }

    InterlockedExchange(&stopping, 0);
    refiller = CreateThread(nullptr, 0, refillthread, nullptr, 0, nullptr);
    if (!refiller) {
        fenk_log(FENK_LOG_ERROR, "AUDIO: error opening audio buffer");
        audiodriver_close();
        return 0;
    }
    soundsystem_lock();
    soundsystem.bufferlength = (uint32_t)(g_buffer_size / g_sample_size);
    soundsystem_unlock();
    for (int i = 0; i < AUDIODRIVER_NUMBUFFERS; i++) waveOutWrite(g_wo, &g_hdr[i], sizeof g_hdr[i]);

    fenk_log(FENK_LOG_INFO, "audiodriver inited");
    return 1;
}

// The refill thread ends first, so the reset's returned buffers are not requeued.
// Headers that were never prepared are not touched.
void audiodriver_close(void)
{
    audiodriver_silent_stop();
    if (refiller) {
        InterlockedExchange(&stopping, 1);
        ReleaseSemaphore(buffers_done, 1, nullptr);
        WaitForSingleObject(refiller, INFINITE);
        CloseHandle(refiller);
        refiller = nullptr;
    }
    if (g_waveout_opened) {
        waveOutReset(g_wo);
        for (int i = 0; i < g_num_prep_buffers; i++) waveOutUnprepareHeader(g_wo, &g_hdr[i], sizeof g_hdr[i]);
    }
    g_num_prep_buffers = 0;
    free(g_audio_buffer);
    g_audio_buffer = nullptr;
    if (g_waveout_opened) {
        waveOutClose(g_wo);
        g_wo = nullptr;
        g_waveout_opened = 0;
    }
    // No callback can come once the device is closed.
    if (buffers_done) {
        CloseHandle(buffers_done);
        buffers_done = nullptr;
    }
    g_cur_buf = 0;
}

int audiodriver_getbuffer(void **buffer, unsigned *size)
{
    if (buffer) *buffer = g_audio_buffer ? g_audio_buffer + (size_t)g_cur_buf * g_buffer_size : nullptr;
    if (size) *size = (unsigned)g_buffer_size;
    return 1;
}

void audiodriver_submitbuffer(void)
{
    if (!g_waveout_opened) return;
    waveOutWrite(g_wo, &g_hdr[g_cur_buf], sizeof g_hdr[g_cur_buf]);
    g_cur_buf = (g_cur_buf + 1) % AUDIODRIVER_NUMBUFFERS;
}
