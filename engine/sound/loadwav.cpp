// WAV reading and writing. The reader takes PCM of 8 or 16 bits in one or two
// channels, plain or in an extensible format chunk, wherever its chunks lie; the
// writer writes the canonical 44-byte layout. The chunks are checked before the
// samples are read straight into the record's memory, so a load never reaches
// past the file's end.
#include "sound/loadwav.h"
#include "platform/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/core.h"
#include "sound/soundstep.h"

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

namespace {

// What a refusal tells the user: the layout this reader takes and the sox command
// that writes a file in it (16-bit signed PCM, with the channels and the rate
// brought within reach when they are not).
void refuse(const char *name, const char *found, bool channels, bool rate)
{
    char stem[256];
    snprintf(stem, sizeof stem, "%s", name);
    char *dot = strrchr(stem, '.');
    if (dot && dot != stem) *dot = 0;
    fenk_log(FENK_LOG_ERROR,
             "%s; this reader takes 16-bit signed (or 8-bit unsigned) PCM, mono or stereo: "
             "sox %s -b 16 -e signed-integer%s%s %s-16bit.wav\n",
             found, name, channels ? " -c 2" : "", rate ? " -r 44100" : "", stem);
}

const char *formatname(uint32_t tag)
{
    switch (tag) {
    case 2: return "Microsoft ADPCM";
    case 3: return "IEEE float";
    case 6: return "A-law";
    case 7: return "mu-law";
    case 0x11: return "IMA ADPCM";
    case 0x55: return "MPEG layer 3";
    case 0xFFFE: return "extensible";
    default: return "unknown";
    }
}

// The tail every WAVE_FORMAT_EXTENSIBLE subformat GUID shares after its 16-bit tag.
const uint8_t guidtail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

} // namespace

// Chunks are walked from the RIFF header on: whatever writers put around the
// format and data chunks (LIST, fact, JUNK, bext, cue) is stepped over, and the
// walk ends at the first data chunk met after a format chunk. Only chunk headers
// and the format chunk are read before the samples go straight into the record.
int Soundsystem_LoadWAV(const char *name, s_sound *s)
{
    if (!name || !s) return 0;
    s_corefile file;
    if (!corefile_open(name, &file, 0)) return 0;
    int64_t filesize = corefile_fsize(&file);

    uint8_t riff[12];
    if (filesize < 12) {
        fenk_log(FENK_LOG_ERROR, "WAV file too short: %s has %d bytes\n", name, (int)filesize);
        corefile_close(&file);
        return 0;
    }
    corefile_read(riff, 12, 1, &file);
    if (memcmp(riff, "RIFF", 4) || memcmp(riff + 8, "WAVE", 4)) {
        fenk_log(FENK_LOG_ERROR, "No WAV file: %s does not start with a RIFF WAVE header\n", name);
        corefile_close(&file);
        return 0;
    }

    uint8_t fmt[40] = {0};
    uint32_t fmtsize = 0;
    int64_t at = 12, dataat = -1;
    uint32_t size = 0;
    while (at + 8 <= filesize) {
        uint8_t chunk[8];
        corefile_seek(&file, (int)at, SEEK_SET);
        corefile_read(chunk, 8, 1, &file);
        uint32_t length = get32(chunk + 4);
        // Only the first three letters of the format chunk's id are compared.
        if (!fmtsize && !memcmp(chunk, "fmt", 3)) {
            fmtsize = length ? length : 1;
            uint32_t want = length < sizeof fmt ? length : (uint32_t)sizeof fmt;
            if (want > filesize - at - 8) want = (uint32_t)(filesize - at - 8);
            corefile_read(fmt, (int)want, 1, &file);
        } else if (fmtsize && !memcmp(chunk, "data", 4)) {
            dataat = at + 8;
            size = length;
            break;
        }
        at += 8 + (int64_t)length + (length & 1);
    }

    // The format is kept in the record as soon as it is known, as it always was.
    if (fmtsize >= 16) {
        s->channels = (uint16_t)get16(fmt + 2);
        s->frequency = get32(fmt + 4);
        s->bits = (uint16_t)get16(fmt + 14);
    }
    const char *problem = nullptr;
    if (!fmtsize)
        problem = "no format chunk";
    else if (fmtsize < 16)
        problem = "a format chunk shorter than 16 bytes";
    else if (dataat < 0)
        problem = "no data chunk after the format chunk";
    if (problem) {
        fenk_log(FENK_LOG_ERROR, "No WAV data: %s (%d bytes) has %s\n", name, (int)filesize, problem);
        corefile_close(&file);
        return 0;
    }
    uint32_t tag = get16(fmt);
    uint32_t subtag = 0;
    // An extensible format chunk names the real format in its subformat GUID;
    // PCM there is the same PCM as format 1.
    if (tag == 0xFFFE && fmtsize >= 40 && !memcmp(fmt + 26, guidtail, sizeof guidtail)) {
        subtag = get16(fmt + 24);
        if (subtag == 1) tag = 1;
    }
    if (tag != 1) {
        char found[160];
        if (subtag)
            snprintf(found, sizeof found,
                     "Not PCM signed: %s holds %u-bit %s samples (extensible, subformat %u)", name,
                     (unsigned)s->bits, formatname(subtag), (unsigned)subtag);
        else
            snprintf(found, sizeof found, "Not PCM signed: %s holds %u-bit %s samples (format %u)", name,
                     (unsigned)s->bits, formatname(tag), (unsigned)tag);
        refuse(name, found, s->channels > 2, false);
        corefile_close(&file);
        return 0;
    }

    // The mixer reads 8- or 16-bit samples in one or two channels; anything else would
    // be read in the wrong units, or divide by zero when bits is below 8. A rate the
    // mixer cannot step through (below 173 Hz mono its step is 0) would hold the
    // sound at its start for ever: as music, the show would never end.
    bool badchannels = s->channels != 1 && s->channels != 2;
    bool badrate = !sound_rateplayable(s->frequency, s->channels ? s->channels : 1);
    if ((s->bits != 8 && s->bits != 16) || badchannels || badrate) {
        char found[160];
        snprintf(found, sizeof found, "WAV format not supported: %s has %u channels, %u bits, %u Hz", name,
                 (unsigned)s->channels, (unsigned)s->bits, (unsigned)s->frequency);
        refuse(name, found, badchannels, badrate);
        corefile_close(&file);
        return 0;
    }
    // A data size past the end of the file keeps the bytes that are there, in whole
    // frames, so a stereo sound keeps its channels paired. A size that is all there is
    // kept as it is, even in part of a frame, so that a save writes the file back.
    uint32_t frame = s->channels * (s->bits / 8u);
    int64_t present = filesize - dataat;
    if (size > present) {
        size = (uint32_t)(present - present % frame);
        fenk_log(FENK_LOG_WARNING, "WAV data of %s cut to %u bytes\n", name, (unsigned)size);
    }
    if (size < s->bits / 8u) {
        fenk_log(FENK_LOG_WARNING, "WAV file has no samples: %s\n", name);
        corefile_close(&file);
        return 0;
    }

    void *data = malloc(size);
    if (!data) {
        fenk_log(FENK_LOG_ERROR, "WAV file too large: %s holds %u bytes of samples\n", name, (unsigned)size);
        corefile_close(&file);
        return 0;
    }
    corefile_seek(&file, (int)dataat, SEEK_SET);
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
