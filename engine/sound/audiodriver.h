/* The mixer, and the output driver calls every backend's driver unit defines (each
 * beside its host in engine/hosts: win32, sdl, headless, web, template). A driver
 * calls audiodriver_mixbuffers once per 2048-frame buffer the device has consumed;
 * the engine never names the driver it is linked with. */
#ifndef FENK_SOUND_AUDIODRIVER_H
#define FENK_SOUND_AUDIODRIVER_H

#ifdef __cplusplus
extern "C" {
#endif

/* Number of output buffers queued ahead of the listener. */
#define AUDIODRIVER_NUMBUFFERS 4
/* flags bit asking for two output channels. */
#define AUDIODRIVER_STEREO 2

/* One mix pass: fills `bytes` bytes of `buffer` in the output format of soundsystem.
 * The third argument is not read. */
void audiodriver_mixbuffers(void *buffer, int bytes, int unused);

/* What every driver does first: records the output format (bits, and channels from
 * `flags`) in soundsystem and makes the ring of AUDIODRIVER_NUMBUFFERS silent buffers.
 * Returns the ring, to be released with free(), or null when `bits` is not 8 or 16 or
 * memory runs out. *sample_size and *buffer_size get a frame's and a buffer's bytes. */
unsigned char *audiodriver_makering(unsigned bits, int flags, int *sample_size, int *buffer_size);

/* 1 on success; 0 with no output, leaving the sound system running silent: where no
 * device opens, the silent device (audiodriver_silent.h) mixes at the real pace. A
 * rate of 0 opens nothing and returns 1. `frames` is not consulted: buffers hold 2048
 * frames. */
int audiodriver_init(unsigned rate, unsigned bits, int frames, int flags);
void audiodriver_close(void);
/* The buffer that is refilled next and its size in bytes; either pointer may be null. */
int audiodriver_getbuffer(void **buffer, unsigned *size);
void audiodriver_submitbuffer(void);

#ifdef __cplusplus
}
#endif

#endif
