/* The sound system: sound records, the global settings, the table of sounds being
 * mixed, and the calls a program uses to load, play and position sounds. The mixer
 * (audiodriver.h) runs on the audio thread and shares all of this with the caller's
 * thread; every change below is made under one lock that a mix pass also holds. */
#ifndef FENK_SOUND_CORESOUND_H
#define FENK_SOUND_CORESOUND_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Sounds mixed at once. */
#define SOUNDSYSTEM_MAXACTIVE 16
/* Frames per mix pass and per output buffer. */
#define SOUNDSYSTEM_BUFFERLENGTH 2048
/* The rate the device always runs at. */
#define SOUNDSYSTEM_DEVICERATE 44100
/* The largest step the mixer takes: its step is 32-bit with 8 fraction bits. */
#define SOUNDSYSTEM_MAXSTEP 0xFFFFFFFFu

/* Refills a stream's whole sample memory: (data, size in bytes). It is called on the
 * audio thread, in the middle of a mix pass. */
typedef void (*s_soundcallback)(void *data, uint32_t size);

typedef struct s_sound {
    uint16_t playing;  /* 1 while mixed, 0 paused or stopped */
    uint16_t channels; /* 1 or 2, interleaved left, right */
    uint16_t bits;     /* 8 (unsigned) or 16 (signed little-endian) */
    uint32_t size;     /* bytes of sample memory */
    uint32_t length;   /* samples, every channel counted (a stream: its length x channels) */
    uint32_t frequency;
    uint64_t position; /* sample index with 8 fraction bits */
    uint32_t step;     /* position increment per output frame, 8 fraction bits */
    int32_t loop;
    int32_t music; /* 1: music group, else effect group */
    uint8_t volume;
    uint8_t volume_left;
    uint8_t volume_right;
    uint8_t panning; /* 0 left .. 255 right, 128 centre */
    int32_t stream;
    int32_t stream_length;
    int32_t stream_size;
    int32_t stream_offset;
    s_soundcallback callback;
    void *data;
} s_sound;

typedef struct s_soundsystem {
    uint32_t frequency;    /* mixing rate that every step is worked out against */
    uint16_t channels;     /* output channels, set by the driver */
    uint16_t bits;         /* output bits, set by the driver */
    uint32_t bufferlength; /* frames per mix pass */
    uint32_t mixbuffer_size;
    uint16_t master_volume;
    uint16_t music_volume;
    uint16_t effect_volume;
    int32_t *mixbuffer; /* channels x bufferlength accumulators of the last pass */
    int32_t numsounds;
    int32_t numactive;
} s_soundsystem;

extern s_soundsystem soundsystem;
extern s_sound *active_sounds[SOUNDSYSTEM_MAXACTIVE];

int Soundsystem_Init(unsigned frequency, unsigned bits, unsigned channels);
void Soundsystem_CloseAudio(void);

void Soundsystem_SetMasterVolume(int volume);
void Soundsystem_SetMusicVolume(int volume);
void Soundsystem_SetEffectVolume(int volume);
void Soundsystem_SetVolume(s_sound *s, int volume);
void Soundsystem_SetPanning(s_sound *s, int panning);
void Soundsystem_SetFrequency(s_sound *s, int hz);
/* 1 when a sound of this rate and channel count moves in the mixer: its step
 * against the mixing rate (the device's before Soundsystem_Init) is at least 1 and
 * at most SOUNDSYSTEM_MAXSTEP. A step of 0 would hold the sound at its start for
 * ever. The WAV loader and stream creation refuse what fails this. */
int Soundsystem_RatePlayable(uint32_t frequency, unsigned channels);

int Soundsystem_LoadSound(const char *name, s_sound *s);
int Soundsystem_SaveSound(const char *name, s_sound *s);
/* Plays a long sound, music above all, from its file: an Ogg Vorbis file (.ogg, any
 * case) becomes a sound stream whose buffer (SOUNDSYSTEM_STREAMFRAMES frames, in
 * sound/loadogg.h) is refilled from the open file as the mixer plays it, so memory
 * stays at that buffer and the decoder's tables however long the file. It plays as a
 * loaded sound does: from the track's start, ending at its end (its playing turns 0)
 * unless played looping; the offset calls count the track's frames and move in it.
 * Soundsystem_DeleteSound closes the file. Returns 1, or 0 with the record left
 * without samples and one line saying why. */
int Soundsystem_StreamSound(const char *name, s_sound *s);
void Soundsystem_CreateSoundStream(s_sound *s, s_soundcallback callback, int frequency, int bits,
                                   int channels, int length);
void Soundsystem_DeleteSound(s_sound *s);

void Soundsystem_PlaySound(s_sound *s, int loop);
void Soundsystem_PlayMusic(s_sound *s, int loop);
void Soundsystem_StopSound(s_sound *s);
void Soundsystem_StopMusic(s_sound *s);
void Soundsystem_PauseSound(s_sound *s);
void Soundsystem_ResumeSound(s_sound *s);

void Soundsystem_SetSoundOffset(s_sound *s, uint64_t frame);
/* Works on the caller's copy of the record. While the mixer runs on another thread,
 * that copy is itself a read of a record being written: make it under
 * soundsystem_lock(), or call Soundsystem_ReadSoundOffset, which reads the live
 * record's position as one whole value. */
uint64_t Soundsystem_GetSoundOffset(s_sound s);
uint64_t Soundsystem_ReadSoundOffset(const s_sound *s);

int32_t *Soundsystem_GetOutputBuffer(void);
float Soundsystem_DetectFrequency(float hz);

/* The lock shared by every change above and by each whole mix pass. It may be taken
 * again by the thread that holds it, so a stream's callback may call the sound system. */
void soundsystem_lock(void);
void soundsystem_unlock(void);

#ifdef __cplusplus
}
#endif

#endif
