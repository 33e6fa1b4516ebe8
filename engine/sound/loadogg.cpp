// Ogg Vorbis through stb_vorbis. A loaded file is decoded whole into the sound's
// memory; a streamed one keeps its decoder and file open and refills the stream's
// buffer from the mixer's callback, so music takes one buffer of samples and the
// decoder's tables however long it is. The streams' table is touched only with the
// sound system's lock held (a refill runs inside a mix pass, which holds it), and so
// is every opening and seeking decoder: stb_vorbis writes one table shared by all its
// decoders when it opens a file, and reads it when it seeks.
#include "sound/loadogg.h"
#include "platform/log.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/core.h"
#include "platform/shared_word.h"
#include "sound/oggstream.h"
#include "sound/soundstep.h"
#include "sound/vorbis.h"

namespace {

struct Stream {
    s_sound *sound;      // the record fed; null for a free slot
    void *data;          // its buffer, by which the mixer's refill finds the stream
    stb_vorbis *decoder; // owns the open file
    unsigned channels;   // in the buffer: 1 or 2
    uint32_t frames;     // frames the buffer holds now
    uint64_t base;       // the track's frame at the buffer's first frame
    uint64_t next;       // the track's frame the decoder gives next
    uint64_t total;      // frames in the track; 0 while not known
    bool atstart;        // the buffer holds the track's first frames
};

Stream streams[SOUNDSYSTEM_MAXSTREAMS];

const char engine_reads[] = "this engine reads Ogg Vorbis (.ogg) and PCM WAV (.wav) sounds";

// The name as one word of a shell command, for the commands the refusals give.
std::string shellword(const char *name)
{
    if (*name &&
        strspn(name, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._/+-") == strlen(name))
        return name;
    std::string word = "'";
    for (const char *c = name; *c; c++) word += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
    return word + "'";
}

// The command that writes a file this reader takes: ffmpeg reads every codec an Ogg
// file may hold and writes Vorbis.
void refuse(const char *name, const char *found, const char *options)
{
    std::string stem = name;
    size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot != 0 && stem.find('/', dot) == std::string::npos) stem.resize(dot);
    fenk_log(FENK_LOG_ERROR, "%s; %s: ffmpeg -i %s%s -c:a libvorbis %s\n", found, engine_reads,
             shellword(name).c_str(), options, shellword((stem + "-vorbis.ogg").c_str()).c_str());
}

// What the first packet of an Ogg file says it holds; null when the file does not
// start with an Ogg page.
const char *codec(const unsigned char *head, size_t size)
{
    if (size < 27 || memcmp(head, "OggS", 4) != 0) return nullptr;
    const size_t packet = 27 + (size_t)head[26];
    const unsigned char *p = head + packet;
    auto is = [&](const char *magic, size_t length) {
        return packet + length <= size && memcmp(p, magic, length) == 0;
    };
    if (is("\x01vorbis", 7)) return "Vorbis";
    if (is("OpusHead", 8)) return "Opus audio";
    if (is("\x7F"
           "FLAC",
           5))
        return "FLAC audio";
    if (is("Speex   ", 8)) return "Speex audio";
    if (is("\x80theora", 7)) return "Theora video";
    if (is("fishead", 7)) return "an Ogg Skeleton track first";
    return "an unknown codec";
}

const char *reason(int error)
{
    switch (error) {
    case VORBIS_outofmem: return "not enough memory for its decoder";
    case VORBIS_feature_not_supported: return "it uses floor type 0, which the decoder does not read";
    case VORBIS_too_many_channels: return "more than 16 channels";
    case VORBIS_unexpected_eof: return "the file is cut short";
    default: return "its Vorbis headers are cut short or damaged";
    }
}

// The decoder over the file, or null after the line that says why. From here on the
// decoder owns the file and closes it.
stb_vorbis *opendecoder(const char *name, unsigned *channels, uint32_t *rate)
{
    s_corefile file;
    if (!corefile_open(name, &file, 0)) {
        fenk_log(FENK_LOG_ERROR, "No Ogg file: %s cannot be opened in the data folder\n", name);
        return nullptr;
    }
    unsigned char head[128] = {0};
    const size_t got = fread(head, 1, sizeof head, file.stream);
    rewind(file.stream);
    const char *inside = codec(head, got);
    if (!inside || strcmp(inside, "Vorbis") != 0) {
        std::string found = std::string(inside ? "Ogg format not supported: " : "No Ogg file: ") + name +
                            (inside ? std::string(" holds ") + inside : " does not start with an Ogg page");
        if (inside)
            refuse(name, found.c_str(), "");
        else
            fenk_log(FENK_LOG_ERROR, "%s; %s\n", found.c_str(), engine_reads);
        corefile_close(&file);
        return nullptr;
    }
    int error = 0;
    soundsystem_lock();
    stb_vorbis *decoder =
        stb_vorbis_open_file_section(file.stream, 1, &error, nullptr, (unsigned)corefile_fsize(&file));
    soundsystem_unlock();
    if (!decoder) {
        fenk_log(FENK_LOG_ERROR, "Ogg Vorbis file not read: %s: %s (stb_vorbis error %d)\n", name,
                 reason(error), error);
        return nullptr;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(decoder);
    *channels = info.channels > 1 ? 2 : 1;
    *rate = info.sample_rate;
    if (!sound_rateplayable(*rate, *channels)) {
        char found[200];
        snprintf(found, sizeof found,
                 "Ogg format not supported: %s has %d channels at %u Hz, which the mixer "
                 "cannot step through",
                 name, info.channels, (unsigned)*rate);
        refuse(name, found, " -ar 44100");
        soundsystem_lock();
        stb_vorbis_close(decoder);
        soundsystem_unlock();
        return nullptr;
    }
    return decoder;
}

void closedecoder(stb_vorbis *decoder)
{
    soundsystem_lock();
    stb_vorbis_close(decoder);
    soundsystem_unlock();
}

// Frames of the whole track by its last page; 0 when that cannot be read.
uint64_t tracklength(stb_vorbis *decoder)
{
    soundsystem_lock();
    const unsigned frames = stb_vorbis_stream_length_in_samples(decoder);
    soundsystem_unlock();
    return frames;
}

// Decodes up to `frames` frames; fewer only where the track ends (or is damaged).
uint32_t decode(stb_vorbis *decoder, unsigned channels, int16_t *out, uint32_t frames)
{
    uint32_t done = 0;
    while (done < frames) {
        uint32_t want = frames - done;
        if (want > INT_MAX / 2) want = INT_MAX / 2;
        int got = stb_vorbis_get_samples_short_interleaved(
            decoder, (int)channels, out + (size_t)done * channels, (int)(want * channels));
        if (got <= 0) break;
        done += (uint32_t)got;
    }
    return done;
}

Stream *bydata(const void *data)
{
    if (!data) return nullptr;
    for (Stream &stream : streams)
        if (stream.sound && stream.data == data) return &stream;
    return nullptr;
}

Stream *byrecord(const s_sound *s)
{
    Stream *stream = s ? bydata(s->data) : nullptr;
    return stream && stream->sound == s ? stream : nullptr;
}

// Refills the buffer from where the decoder is, on from the track's start when the
// record loops. False when the track had no frame left.
bool fill(Stream &stream)
{
    int16_t *out = (int16_t *)stream.data;
    stream.base = stream.next;
    uint32_t frames = 0;
    bool wrapped = false;
    for (;;) {
        const uint32_t got = decode(stream.decoder, stream.channels, out + (size_t)frames * stream.channels,
                                    SOUNDSYSTEM_STREAMFRAMES - frames);
        frames += got;
        stream.next += got;
        if (frames == SOUNDSYSTEM_STREAMFRAMES) break;
        // The track ends here, which tells its length for good.
        stream.total = stream.next;
        // A track that gives nothing from its start would loop for ever.
        if (!stream.sound->loop || (wrapped && got == 0) || !stb_vorbis_seek_start(stream.decoder)) break;
        stream.next = 0;
        wrapped = true;
    }
    stream.atstart = false;
    if (!frames) return false;
    memset(out + (size_t)frames * stream.channels, 0,
           (size_t)(SOUNDSYSTEM_STREAMFRAMES - frames) * stream.channels * 2);
    stream.frames = frames;
    stream.sound->length = frames * stream.channels;
    return true;
}

// The track's start in the buffer, the position at its start.
bool rewindstream(Stream &stream)
{
    if (!stb_vorbis_seek_start(stream.decoder)) return false;
    stream.next = 0;
    const bool filled = fill(stream);
    stream.atstart = filled;
    word_store(stream.sound->position, 0);
    return filled;
}

// The mixer's refill, inside a pass: the buffer has been played to its end. The
// position past that end carries into the new buffer, as a loop's does. At the track's
// end a stream that does not loop stops, its buffer ready to play the start again.
void refill(void *data, uint32_t size)
{
    Stream *stream = bydata(data);
    if (!stream) {
        memset(data, 0, size);
        return;
    }
    s_sound *s = stream->sound;
    const uint64_t end = (uint64_t)s->length << 8;
    const uint64_t over = s->position >= end ? s->position - end : 0;
    if (fill(*stream)) {
        word_store(s->position, over);
        return;
    }
    Soundsystem_StopSound(s);
    rewindstream(*stream);
}

} // namespace

int Soundsystem_LoadOGG(const char *name, s_sound *s)
{
    if (!name || !s) return 0;
    unsigned channels = 0;
    uint32_t rate = 0;
    stb_vorbis *decoder = opendecoder(name, &channels, &rate);
    if (!decoder) return 0;

    // The sound's size is a 32-bit count of bytes the mixer takes as signed.
    const uint64_t most = INT32_MAX / (2 * channels);
    const uint64_t stated = tracklength(decoder);
    uint64_t capacity = stated ? (stated < most ? stated : most) : rate;
    int16_t *data = (int16_t *)malloc((size_t)capacity * channels * 2);
    uint64_t frames = 0;
    bool toolarge = false;
    while (data) {
        frames += decode(decoder, channels, data + frames * channels, (uint32_t)(capacity - frames));
        if (frames < capacity) break;
        // Full: the track may still go on past what its last page said.
        int16_t more[4096 * 2];
        const uint32_t extra = decode(decoder, channels, more, 4096);
        if (!extra) break;
        if (capacity == most || frames + extra > most) {
            toolarge = true;
            break;
        }
        capacity = capacity * 2 < most ? capacity * 2 : most;
        int16_t *grown = (int16_t *)realloc(data, (size_t)capacity * channels * 2);
        if (!grown) {
            toolarge = true;
            break;
        }
        data = grown;
        memcpy(data + frames * channels, more, (size_t)extra * channels * 2);
        frames += extra;
    }
    closedecoder(decoder);

    if (!data || toolarge) {
        free(data);
        fenk_log(FENK_LOG_ERROR,
                 "Ogg Vorbis file too large: %s decodes to more than %u bytes of samples; "
                 "Soundsystem_StreamSound plays it from the file\n",
                 name, (unsigned)INT32_MAX);
        return 0;
    }
    if (!frames) {
        free(data);
        fenk_log(FENK_LOG_WARNING, "Ogg Vorbis file has no samples: %s\n", name);
        return 0;
    }
    if (frames < stated)
        fenk_log(FENK_LOG_WARNING,
                 "Ogg Vorbis data of %s ends at frame %llu of %llu: the rest is cut or "
                 "damaged\n",
                 name, (unsigned long long)frames, (unsigned long long)stated);
    if (frames < capacity) {
        int16_t *fitted = (int16_t *)realloc(data, (size_t)frames * channels * 2);
        if (fitted) data = fitted;
    }
    s->channels = (uint16_t)channels;
    s->bits = 16;
    s->frequency = rate;
    s->size = (uint32_t)(frames * channels * 2);
    s->length = (uint32_t)(frames * channels);
    s->data = data;
    return 1;
}

int oggstream_open(const char *name, s_sound *s)
{
    if (!name || !s) return 0;
    unsigned channels = 0;
    uint32_t rate = 0;
    stb_vorbis *decoder = opendecoder(name, &channels, &rate);
    if (!decoder) return 0;
    const uint64_t stated = tracklength(decoder);

    Soundsystem_CreateSoundStream(s, refill, (int)rate, 16, (int)channels, SOUNDSYSTEM_STREAMFRAMES);
    if (!s->data) {
        closedecoder(decoder);
        return 0;
    }
    soundsystem_lock();
    Stream *slot = nullptr;
    for (Stream &stream : streams)
        if (!stream.sound && !slot) slot = &stream;
    bool filled = false;
    if (slot) {
        *slot = Stream{s, s->data, decoder, channels, 0, 0, 0, stated, false};
        // Music ends at its end unless it is played looping.
        s->loop = 0;
        filled = rewindstream(*slot);
        if (!filled) *slot = Stream{};
    }
    soundsystem_unlock();
    if (filled) return 1;

    if (slot)
        fenk_log(FENK_LOG_WARNING, "Ogg Vorbis file has no samples: %s\n", name);
    else
        fenk_log(FENK_LOG_ERROR,
                 "Sound not streamed: %s: %d files are streaming already "
                 "(Soundsystem_DeleteSound ends one)\n",
                 name, SOUNDSYSTEM_MAXSTREAMS);
    closedecoder(decoder);
    Soundsystem_DeleteSound(s);
    return 0;
}

int oggstream_close(const s_sound *s)
{
    Stream *stream = byrecord(s);
    if (!stream) return 0;
    stb_vorbis_close(stream->decoder);
    *stream = Stream{};
    return 1;
}

int oggstream_restart(s_sound *s)
{
    Stream *stream = byrecord(s);
    if (!stream) return 0;
    if (!stream->atstart) rewindstream(*stream);
    return 1;
}

int oggstream_seek(s_sound *s, uint64_t frame)
{
    Stream *stream = byrecord(s);
    if (!stream) return 0;
    if (stream->total && frame >= stream->total) frame = stream->total - 1;
    if (frame > UINT_MAX) frame = UINT_MAX;
    // A frame past a track of unknown length cannot be found: the start stands in.
    if (frame == 0 || !stb_vorbis_seek(stream->decoder, (unsigned)frame)) {
        rewindstream(*stream);
        return 1;
    }
    stream->next = frame;
    fill(*stream);
    word_store(s->position, 0);
    return 1;
}

int oggstream_trackframe(const void *data, uint64_t played, uint64_t *frame)
{
    const Stream *stream = bydata(data);
    if (!stream) return 0;
    *frame = stream->base + played;
    if (stream->total) *frame %= stream->total;
    return 1;
}
