// WAV reading and writing. The reader takes PCM of 8 or 16 bits in one or two
// channels as it is stored, and 24- and 32-bit PCM and 32-bit float converted to
// 16 bits, plain or in an extensible format chunk, wherever its chunks lie; the
// writer writes the canonical 44-byte layout. The chunks are checked before the
// samples are read straight into the record's memory, so a load never reaches
// past the file's end.
#include "sound/loadwav.h"
#include "platform/log.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "files/core.h"
#include "platform/shell_word.h"
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

const uint32_t format_pcm = 1, format_float = 3, format_extensible = 0xFFFE;

// The tail every WAVE_FORMAT_EXTENSIBLE subformat GUID shares after its 16-bit tag.
const uint8_t guidtail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// What the walk over the chunks found. The format chunk's first 40 bytes are kept
// (zeros past its end), enough for the extensible layout's subformat.
struct WavChunks {
    uint8_t fmt[40] = {0};
    uint32_t fmtsize = 0; // 0: no format chunk met
    bool fmtcut = false;  // the file ends inside the format chunk
    int64_t dataat = -1;  // -1: no data chunk after the format chunk
    uint32_t datasize = 0;
};

// The format the samples are in, the extensible layout's subformat taken for its tag.
struct WavFormat {
    uint32_t tag;
    bool extensible;
    unsigned channels, bits;
    uint32_t frequency;
};

// Names of the formats writers put in WAV files, for the refusal.
const char *formatname(uint32_t tag)
{
    switch (tag) {
    case 1: return "PCM";
    case 2: return "Microsoft ADPCM";
    case 3: return "IEEE float";
    case 6: return "A-law";
    case 7: return "mu-law";
    case 0x10: return "OKI ADPCM";
    case 0x11: return "IMA ADPCM";
    case 0x14: return "G.723 ADPCM";
    case 0x22: return "DSP Group TrueSpeech";
    case 0x31: return "GSM 6.10";
    case 0x40: return "G.721 ADPCM";
    case 0x50: return "MPEG audio";
    case 0x55: return "MPEG layer 3";
    case 0xFF: return "AAC";
    case 0x160: return "Windows Media Audio";
    case 0x161: return "Windows Media Audio 2";
    case 0x1610: return "MPEG-4 AAC";
    case 0x2000: return "AC-3";
    case 0xF1AC: return "FLAC";
    case format_extensible: return "extensible";
    default: return "unknown";
    }
}

const char *const reads =
    "this reader takes 8-bit unsigned and 16-, 24- and 32-bit signed PCM or 32-bit float, "
    "mono or stereo";

// A refusal names what was found and what this reader takes, and ends with the sox
// command that writes a file it takes (16-bit signed PCM, with the channels and the
// rate brought within reach when they are not).
void refuse(const char *name, bool channels, bool rate, const char *format, ...)
{
    char found[320];
    va_list args;
    va_start(args, format);
    vsnprintf(found, sizeof found, format, args);
    va_end(args);
    std::string stem = name;
    size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot != 0) stem.erase(dot);
    fenk_log(FENK_LOG_ERROR, "%s; %s: sox %s -b 16 -e signed-integer%s%s %s\n", found, reads,
             shell_word(name).c_str(), channels ? " -c 2" : "", rate ? " -r 44100" : "",
             shell_word(stem + "-16bit.wav").c_str());
}

void refuse_unopened(const char *name)
{
    fenk_log(FENK_LOG_ERROR, "Sound %s not loaded. %s\n", name, corefile_lasterror());
}

void refuse_short(const char *name, int64_t filesize)
{
    fenk_log(FENK_LOG_ERROR, "WAV file too short: %s has %d bytes\n", name, (int)filesize);
}

// RF64, the layout of WAV files past 4 GiB, has its sizes in a chunk of its own.
void refuse_header(const char *name, const uint8_t riff[12])
{
    if ((!memcmp(riff, "RF64", 4) || !memcmp(riff, "BW64", 4)) && !memcmp(riff + 8, "WAVE", 4))
        refuse(name, false, false, "No WAV file: %s is an RF64 file, not RIFF WAVE", name);
    else
        fenk_log(FENK_LOG_ERROR, "No WAV file: %s does not start with a RIFF WAVE header\n", name);
}

void refuse_chunks(const char *name, int64_t filesize, const char *problem)
{
    fenk_log(FENK_LOG_ERROR, "No WAV data: %s (%d bytes) %s\n", name, (int)filesize, problem);
}

void refuse_format(const char *name, const WavFormat &f)
{
    char bits[16] = "";
    if (f.bits) snprintf(bits, sizeof bits, "%u-bit ", f.bits);
    refuse(name, f.channels > 2, false, "Not PCM signed: %s holds %s%s samples (%s %u)", name, bits,
           formatname(f.tag), f.extensible ? "extensible, subformat" : "format", (unsigned)f.tag);
}

void refuse_layout(const char *name, const WavFormat &f, bool badchannels, bool badrate)
{
    refuse(name, badchannels, badrate, "WAV format not supported: %s has %u channels, %u bits, %u Hz", name,
           f.channels, f.bits, (unsigned)f.frequency);
}

void refuse_memory(const char *name, uint32_t size)
{
    fenk_log(FENK_LOG_ERROR, "WAV file too large: %s holds %u bytes of samples\n", name, (unsigned)size);
}

// Chunks are walked from the RIFF header on: whatever writers put around the
// format and data chunks (LIST, fact, JUNK, bext, cue) is stepped over, and the
// walk ends at the first data chunk met after a format chunk. Only the first three
// letters of the format chunk's id are compared.
WavChunks walkchunks(s_corefile *file, int64_t filesize)
{
    WavChunks found;
    int64_t at = 12;
    while (at + 8 <= filesize) {
        uint8_t chunk[8];
        corefile_seek(file, (int)at, SEEK_SET);
        corefile_read(chunk, 8, 1, file);
        uint32_t length = get32(chunk + 4);
        if (!found.fmtsize && !memcmp(chunk, "fmt", 3)) {
            found.fmtsize = length ? length : 1;
            int64_t present = filesize - at - 8;
            found.fmtcut = length > present;
            uint32_t want = length < sizeof found.fmt ? length : (uint32_t)sizeof found.fmt;
            if (want > present) want = (uint32_t)present;
            corefile_read(found.fmt, (int)want, 1, file);
        } else if (found.fmtsize && !memcmp(chunk, "data", 4)) {
            found.dataat = at + 8;
            found.datasize = length;
            break;
        }
        at += 8 + (int64_t)length + (length & 1);
    }
    return found;
}

// An extensible format chunk names the real format in its subformat GUID: PCM and
// float there are the same as formats 1 and 3.
WavFormat formatof(const WavChunks &c)
{
    WavFormat f = {get16(c.fmt), false, get16(c.fmt + 2), get16(c.fmt + 14), get32(c.fmt + 4)};
    if (f.tag == format_extensible && c.fmtsize >= 40 && !memcmp(c.fmt + 26, guidtail, sizeof guidtail)) {
        f.tag = get16(c.fmt + 24);
        f.extensible = true;
    }
    return f;
}

bool readable(const WavFormat &f)
{
    if (f.tag == format_pcm) return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    return f.tag == format_float && f.bits == 32;
}

int16_t fromfloat(float value)
{
    if (!(value == value)) return 0; // NaN
    const float scaled = value * 32768.0f;
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    return (int16_t)lrintf(scaled);
}

// 24- and 32-bit samples keep their top 16 bits, float samples are scaled by 32768,
// rounded and held within 16 bits; written over the source from its start, which the
// smaller samples never overtake. Returns the bytes written.
uint32_t to16(uint8_t *data, uint32_t size, const WavFormat &f)
{
    const unsigned bytes = f.bits / 8;
    const uint32_t count = size / bytes;
    uint8_t *out = data;
    for (uint32_t i = 0; i < count; i++, out += 2) {
        const uint8_t *in = data + (size_t)i * bytes;
        if (f.tag == format_float) {
            float value;
            const uint32_t word = get32(in);
            memcpy(&value, &word, sizeof value);
            put16(out, (uint16_t)fromfloat(value));
        } else {
            out[0] = in[bytes - 2];
            out[1] = in[bytes - 1];
        }
    }
    return count * 2;
}

// The samples of the data chunk into fresh memory, in whole frames when the chunk
// claims more than the file holds; 16 bits when they were wider. 0 when there are
// none or no memory.
int readsamples(const char *name, s_corefile *file, const WavChunks &c, const WavFormat &f, s_sound *s)
{
    const int64_t filesize = corefile_fsize(file);
    const uint32_t frame = f.channels * (f.bits / 8u);
    const bool convert = f.bits > 16;
    uint32_t size = c.datasize;
    const int64_t present = filesize - c.dataat;
    bool cut = false;
    // A size that is all there is kept as it is, even in part of a frame, so that a
    // save writes the file back; samples that are converted are taken in whole frames.
    if (size > present) {
        size = (uint32_t)(present - present % frame);
        cut = true;
    } else if (convert) {
        size -= size % frame;
    }
    if (size < f.bits / 8u) {
        fenk_log(FENK_LOG_WARNING, "WAV file has no samples: %s\n", name);
        return 0;
    }
    if (cut) fenk_log(FENK_LOG_WARNING, "WAV data of %s cut to %u bytes\n", name, (unsigned)size);
    uint8_t *data = (uint8_t *)malloc(size);
    if (!data) {
        refuse_memory(name, size);
        return 0;
    }
    corefile_seek(file, (int)c.dataat, SEEK_SET);
    corefile_read(data, (int)size, 1, file);
    if (convert) {
        size = to16(data, size, f);
        uint8_t *smaller = (uint8_t *)realloc(data, size);
        if (smaller) data = smaller;
    }
    s->bits = convert ? 16 : (uint16_t)f.bits;
    s->size = size;
    s->data = data;
    s->length = size / (s->bits / 8u);
    return 1;
}

// The layout is checked whole before any sample is read.
int loadwav(const char *name, s_corefile *file, s_sound *s)
{
    const int64_t filesize = corefile_fsize(file);
    if (filesize < 12) {
        refuse_short(name, filesize);
        return 0;
    }
    uint8_t riff[12];
    corefile_read(riff, 12, 1, file);
    if (memcmp(riff, "RIFF", 4) || memcmp(riff + 8, "WAVE", 4)) {
        refuse_header(name, riff);
        return 0;
    }
    const WavChunks chunks = walkchunks(file, filesize);
    // The format is kept in the record as soon as it is known, as it always was.
    if (chunks.fmtsize >= 16 && !chunks.fmtcut) {
        s->channels = (uint16_t)get16(chunks.fmt + 2);
        s->frequency = get32(chunks.fmt + 4);
        s->bits = (uint16_t)get16(chunks.fmt + 14);
    }
    if (!chunks.fmtsize) {
        refuse_chunks(name, filesize, "has no format chunk");
        return 0;
    }
    if (chunks.fmtcut) {
        refuse_chunks(name, filesize, "ends inside its format chunk");
        return 0;
    }
    if (chunks.fmtsize < 16) {
        refuse_chunks(name, filesize, "has a format chunk shorter than 16 bytes");
        return 0;
    }
    if (chunks.dataat < 0) {
        refuse_chunks(name, filesize, "has no data chunk after the format chunk");
        return 0;
    }
    const WavFormat format = formatof(chunks);
    if (format.tag != format_pcm && format.tag != format_float) {
        refuse_format(name, format);
        return 0;
    }
    // The mixer steps through one or two channels; a rate it cannot step through
    // (below 173 Hz mono its step is 0) would hold the sound at its start for ever:
    // as music, the show would never end. Bits below 8 would divide by zero.
    const bool badchannels = format.channels != 1 && format.channels != 2;
    const bool badrate = !sound_rateplayable(format.frequency, format.channels ? format.channels : 1);
    if (!readable(format) || badchannels || badrate) {
        refuse_layout(name, format, badchannels, badrate);
        return 0;
    }
    return readsamples(name, file, chunks, format, s);
}

} // namespace

int Soundsystem_LoadWAV(const char *name, s_sound *s)
{
    if (!name || !s) return 0;
    s_corefile file;
    if (!corefile_open(name, &file, 0)) {
        refuse_unopened(name);
        return 0;
    }
    const int loaded = loadwav(name, &file, s);
    corefile_close(&file);
    return loaded;
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
