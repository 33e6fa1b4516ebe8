// WAV reading and writing. Only the canonical layout is read: "RIFF", "WAVE", a
// 16-byte "fmt " chunk and the "data" chunk at offset 36. The header is checked on
// its own before the samples are read straight into the record's memory, so a load
// costs one read of the file and never reaches past its end.
#include "sound/loadwav.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/core.h"

static uint32_t get16(const uint8_t *at) { return (uint32_t)at[0] | (uint32_t)at[1] << 8; }

static uint32_t get32(const uint8_t *at) { return get16(at) | get16(at + 2) << 16; }

static void put16(uint8_t *at, uint32_t value)
{
    at[0] = (uint8_t)value;
    at[1] = (uint8_t)(value >> 8);
}

static void put32(uint8_t *at, uint32_t value)
{
    put16(at, value);
    put16(at + 2, value >> 16);
}

void Soundsystem_WAVHeader(uint8_t header[SOUNDSYSTEM_WAVHEADER], uint32_t databytes, unsigned channels,
                           uint32_t frequency, unsigned bits)
{
    uint32_t align = channels * (bits / 8u);
    memcpy(header, "RIFF", 4);
    put32(header + 4, databytes + 36);
    memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, 16);
    put16(header + 20, 1);
    put16(header + 22, channels);
    put32(header + 24, frequency);
    put32(header + 28, align * frequency);
    put16(header + 32, align);
    put16(header + 34, bits);
    memcpy(header + 36, "data", 4);
    put32(header + 40, databytes);
}

int Soundsystem_LoadWAV(const char *name, s_sound *s)
{
    if (!name || !s) return 0;
    s_corefile file;
    if (!corefile_open(name, &file, 0)) return 0;

    uint8_t header[SOUNDSYSTEM_WAVHEADER];
    if (file.size < SOUNDSYSTEM_WAVHEADER) {
        printf("WAV file too short: %d bytes\n", (int)file.size);
        corefile_close(&file);
        return 0;
    }
    corefile_read(header, SOUNDSYSTEM_WAVHEADER, 1, &file);

    int loaded = 0;
    if (memcmp(header, "RIFF", 4) || memcmp(header + 8, "WAVE", 4)) {
        printf("No WAV file");
    } else if (!memcmp(header + 12, "fmt", 3)) {
        s->channels = (uint16_t)get16(header + 22);
        s->frequency = get32(header + 24);
        s->bits = (uint16_t)get16(header + 34);
        if (get16(header + 20) != 1) {
            printf("Not PCM signed");
        } else if (!memcmp(header + 36, "data", 4)) {
            loaded = 1;
        }
    }
    if (!loaded) {
        corefile_close(&file);
        return 0;
    }

    // The mixer reads 8- or 16-bit samples in one or two channels; anything else would
    // be read in the wrong units, or divide by zero when bits is below 8. A rate the
    // mixer cannot step through (below 173 Hz mono its step is 0) would hold the
    // sound at its start for ever: as music, the show would never end.
    if ((s->bits != 8 && s->bits != 16) || (s->channels != 1 && s->channels != 2) ||
        !Soundsystem_RatePlayable(s->frequency, s->channels)) {
        printf("WAV format not supported: %u channels, %u bits, %u Hz\n", (unsigned)s->channels,
               (unsigned)s->bits, (unsigned)s->frequency);
        corefile_close(&file);
        return 0;
    }
    // A data size past the end of the file keeps the bytes that are there, in whole
    // frames, so a stereo sound keeps its channels paired. A size that is all there is
    // kept as it is, even in part of a frame, so that a save writes the file back.
    uint32_t frame = s->channels * (s->bits / 8u);
    uint32_t size = get32(header + 40);
    uint32_t present = (uint32_t)file.size - SOUNDSYSTEM_WAVHEADER;
    if (size > present) {
        size = present - present % frame;
        printf("WAV data cut to %u bytes\n", (unsigned)size);
    }
    if (size < s->bits / 8u) {
        printf("WAV file has no samples\n");
        corefile_close(&file);
        return 0;
    }

    void *data = malloc(size);
    if (!data) {
        printf("WAV file too large: %u bytes\n", (unsigned)size);
        corefile_close(&file);
        return 0;
    }
    corefile_read(data, (int)size, 1, &file);
    corefile_close(&file);
    s->size = size;
    s->data = data;
    s->length = size / (s->bits / 8u);
    return 1;
}

// The header describes `size`, the sample memory that is written: for a stereo stream
// `length` counts frames, not samples, and would describe half of what follows.
int Soundsystem_SaveWAV(const char *name, s_sound *s)
{
    if (!name || !s || (!s->data && s->size) || s->size > INT32_MAX - SOUNDSYSTEM_WAVHEADER) return 0;
    uint8_t *image = (uint8_t *)malloc((size_t)s->size + SOUNDSYSTEM_WAVHEADER);
    if (!image) return 0;

    Soundsystem_WAVHeader(image, s->size, s->channels, s->frequency, s->bits);
    if (s->size) memcpy(image + SOUNDSYSTEM_WAVHEADER, s->data, s->size);

    corefile_savebuffer(name, image, (int)(s->size + SOUNDSYSTEM_WAVHEADER));
    free(image);
    return 1;
}
