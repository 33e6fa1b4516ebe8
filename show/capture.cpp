// The capture drives the show through the headless host: the clock moves exactly one
// frame time per presented frame, the virtual sound device plays in step with it and
// records everything it plays, and each presented frame goes to the encoder or a PNG.
// Frames before the range asked for run in full (the show's state depends on every
// frame before) but are not drawn.
#include "show/capture.h"

#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/driver_headless.h"
#include "show/capture_output.h"
#include "show/main.h"
#include "sound/audiodriver_headless.h"
#include "sound/loadwav.h"

namespace fs = std::filesystem;

const char *const capture_usage =
    "Usage: show_capture [options]\n"
    "Renders the show frame by frame with its sound, on a machine without a screen or a\n"
    "sound card. Run it from a folder that holds the show's data folder.\n"
    "  --fps N       video frames per second, 1 up to the show's rate (default 60): the\n"
    "                video gets the show's frame on screen at each of its times, so any\n"
    "                rate shows the same show (the frames between are worked out but not\n"
    "                drawn)\n"
    "  --rate R      the show's own frames per second, 1 to 66, as on a display that\n"
    "                refreshes R times a second (default 60)\n"
    "  --mode M      1080, 720 or full: the video mode of the show's builds (default 1080)\n"
    "  --out FILE    the MP4 to write, H.264 video and AAC sound through ffmpeg (default\n"
    "                show.mp4); without ffmpeg, the frames and sound go to the folder FILE\n"
    "                less its extension, as with --frames\n"
    "  --preset P    x264's preset, ultrafast to placebo: faster or smaller (default\n"
    "                veryfast)\n"
    "  --frames DIR  PNG frames (frame000000.png on, frame n at n / fps seconds) and\n"
    "                sound.wav in DIR, instead of an MP4\n"
    "  --from S      write from S seconds of the show on (earlier frames are worked out\n"
    "                but not drawn)\n"
    "  --to S        stop before S seconds of the show\n"
    "  --draw-all    draw every frame of the show, also those before --from and those\n"
    "                between the frames written: slower, but what earlier frames leave\n"
    "                outside the picture tube is then there as well (see README)\n"
    "  --help        this text\n"
    "Progress goes to standard error; the show's own lines to standard output.\n";

// ---- Options ----

static bool parse_number(const char *text, double *value)
{
    if (!text || !*text) return false;
    char *end = nullptr;
    errno = 0;
    *value = strtod(text, &end);
    return errno == 0 && *end == '\0' && isfinite(*value);
}

// x264's presets, fastest first.
static const char *const x264_presets[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                           "medium",    "slow",      "slower",   "veryslow", "placebo"};

static bool parse_whole(const char *text, int low, int high, int *value)
{
    double number = 0;
    if (!parse_number(text, &number) || number != floor(number) || number < low || number > high)
        return false;
    *value = static_cast<int>(number);
    return true;
}

int Capture_ParseOptions(int argc, char **argv, s_captureoptions *options, char *message, size_t size)
{
    *options = s_captureoptions{60, CAPTURE_DEFAULTRATE, 1920, 1080, 0, "show.mp4", nullptr, 0.0, -1.0,
                                0,  "veryfast"};
    for (int i = 1; i < argc; i++) {
        std::string name = argv[i];
        const char *value = nullptr;
        const size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = argv[i] + equals + 1;
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") return CAPTURE_HELP;
        if (name == "--draw-all") {
            options->drawall = 1;
            continue;
        }
        const bool known = name == "--fps" || name == "--rate" || name == "--mode" || name == "--out" ||
                           name == "--frames" || name == "--from" || name == "--to" || name == "--preset";
        if (!known) {
            snprintf(message, size, "unknown option %s", name.c_str());
            return CAPTURE_BADOPTION;
        }
        if (!value) {
            if (i + 1 >= argc) {
                snprintf(message, size, "%s needs a value", name.c_str());
                return CAPTURE_BADOPTION;
            }
            value = argv[++i];
        }
        if (name == "--fps") {
            if (!parse_whole(value, 1, CAPTURE_MAXRATE, &options->fps)) {
                snprintf(message, size, "--fps takes a whole number from 1 to the show's rate, not %s",
                         value);
                return CAPTURE_BADOPTION;
            }
        } else if (name == "--rate") {
            if (!parse_whole(value, 1, CAPTURE_MAXRATE, &options->rate)) {
                snprintf(
                    message, size,
                    "--rate takes a whole number from 1 to %d (the show draws at most every 15 ms), not %s",
                    CAPTURE_MAXRATE, value);
                return CAPTURE_BADOPTION;
            }
        } else if (name == "--mode") {
            const std::string mode = value;
            if (mode == "1080" || mode == "full") {
                options->width = 1920;
                options->height = 1080;
                options->flags = mode == "full";
            } else if (mode == "720") {
                options->width = 1280;
                options->height = 720;
                options->flags = 0;
            } else {
                snprintf(message, size, "--mode takes 1080, 720 or full, not %s", value);
                return CAPTURE_BADOPTION;
            }
        } else if (name == "--preset") {
            const char *const *known_preset = nullptr;
            for (const char *const &preset : x264_presets)
                if (strcmp(preset, value) == 0) known_preset = &preset;
            if (!known_preset) {
                snprintf(message, size,
                         "--preset takes one of x264's presets, ultrafast, superfast, veryfast, faster, "
                         "fast, medium, slow, slower, veryslow or placebo, not %s",
                         value);
                return CAPTURE_BADOPTION;
            }
            options->preset = *known_preset;
        } else if (name == "--out" || name == "--frames") {
            if (!*value) {
                snprintf(message, size, "%s needs a file name", name.c_str());
                return CAPTURE_BADOPTION;
            }
            (name == "--out" ? options->out : options->frames) = value;
        } else {
            double number = 0;
            if (!parse_number(value, &number) || number < 0 || number > CAPTURE_MAXSECONDS) {
                snprintf(message, size,
                         "%s takes seconds from 0 to %.0f (the longest the show can last), not %s",
                         name.c_str(), CAPTURE_MAXSECONDS, value);
                return CAPTURE_BADOPTION;
            }
            (name == "--from" ? options->from : options->to) = number;
        }
    }
    if (options->fps > options->rate) {
        // Every video frame is a frame of the show: a faster video would only repeat them.
        snprintf(message, size,
                 "--fps %d is above the show's rate of %d frames a second; ask for at most %d, or a "
                 "higher --rate",
                 options->fps, options->rate, options->rate);
        return CAPTURE_BADOPTION;
    }
    if (options->to >= 0 && options->to <= options->from) {
        snprintf(message, size, "--to (%g s) must lie after --from (%g s)", options->to, options->from);
        return CAPTURE_BADOPTION;
    }
    uint64_t first = 0, end = 0;
    Capture_FrameRange(options, &first, &end);
    if (first >= end) {
        snprintf(message, size,
                 "--from %.10g --to %.10g holds no video frame at %d fps (they come every %.4g s)",
                 options->from, options->to, options->fps, 1.0 / options->fps);
        return CAPTURE_BADOPTION;
    }
    return CAPTURE_RUN;
}

// A frame at a time a hair past a whole frame (from decimal seconds) still counts as
// that frame. Times are at most CAPTURE_MAXSECONDS, so the product fits.
static uint64_t frame_at(double seconds, int fps)
{
    const double frame = ceil(seconds * fps - 1e-6);
    return frame > 0 ? static_cast<uint64_t>(frame) : 0;
}

void Capture_FrameRange(const s_captureoptions *options, uint64_t *first, uint64_t *end)
{
    *first = frame_at(options->from, options->fps);
    *end = options->to < 0 ? UINT64_MAX : frame_at(options->to, options->fps);
}

uint64_t Capture_SoundFrameAt(uint64_t frame, int fps)
{
    return frame * SOUNDSYSTEM_DEVICERATE / static_cast<uint64_t>(fps);
}

uint64_t Capture_ShowFrameAt(uint64_t frame, int fps, int rate)
{
    return frame * static_cast<uint64_t>(rate) / static_cast<uint64_t>(fps);
}

uint64_t Capture_LastShowFrame(uint64_t end, int fps, int rate)
{
    if (end == 0) return 0;
    const uint64_t product = end * static_cast<uint64_t>(rate);
    return (product + static_cast<uint64_t>(fps) - 1) / static_cast<uint64_t>(fps) - 1;
}

// ---- The run ----

namespace {

using clock_type = std::chrono::steady_clock;

struct Capture {
    const s_captureoptions *options;
    uint64_t first;
    uint64_t end;
    uint64_t last_show; // the show frame it runs to (UINT64_MAX: the music's end)
    uint64_t next;      // the next video frame to write
    uint64_t shown;     // the show's frame on screen now
    std::string folder; // frames mode
    std::string video;  // MP4 mode: the encoder's video-only file
    s_videoencoder encoder;
    bool encoding;
    bool failed;
    uint64_t written;
    uint64_t last_written;
    uint64_t device_start; // sound frames the clock had run when the device opened
    uint64_t estimate;     // video frames the show will have
    bool terminal;
    clock_type::time_point started, printed, speed_time;
    uint64_t speed_frames;
    double speed; // video frames written per second, lately
} capture;

uint64_t show_frame_of(uint64_t frame)
{
    return Capture_ShowFrameAt(frame, capture.options->fps, capture.options->rate);
}

// The host draws only the show frames that are written (all with --draw-all): the one
// on screen at the next video frame's time is the next one drawn.
void draw_next()
{
    if (capture.options->drawall) return;
    // Video frame 0 is the black screen before the show's first frame: nothing to draw.
    const uint64_t frame = capture.next > 0 ? capture.next : 1;
    uint64_t next = UINT64_MAX;
    if (frame < capture.end) next = show_frame_of(frame) - 1; // show frame s is presented s - 1th
    fenk_headless_drawfrom(next);
}

void emit(uint64_t frame, int width, int height, const unsigned char *rgba)
{
    if (capture.failed) return;
    bool ok;
    if (capture.encoding) {
        ok = Capture_VideoFrame(&capture.encoder, rgba);
        if (!ok)
            fprintf(stderr, "\nshow_capture: ffmpeg stopped taking frames at frame %llu\n",
                    static_cast<unsigned long long>(frame));
    } else {
        char name[32];
        snprintf(name, sizeof name, "/frame%06llu.png", static_cast<unsigned long long>(frame));
        ok = Capture_WritePNG((capture.folder + name).c_str(), width, height, rgba);
    }
    if (!ok) {
        capture.failed = true;
        return;
    }
    capture.written += 1;
    capture.last_written = frame;
}

std::string minutes(double seconds)
{
    char text[32];
    const int whole = static_cast<int>(seconds);
    snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

void progress(bool done)
{
    const clock_type::time_point now = clock_type::now();
    const auto since = now - capture.printed;
    if (!done && since < (capture.terminal ? std::chrono::milliseconds(250) : std::chrono::seconds(5)))
        return;
    capture.printed = now;
    const double window = std::chrono::duration<double>(now - capture.speed_time).count();
    if (window >= 1.0 && capture.written > 0) {
        const double lately = (capture.written - capture.speed_frames) / window;
        capture.speed = capture.speed > 0 ? 0.5 * capture.speed + 0.5 * lately : lately;
        capture.speed_time = now;
        capture.speed_frames = capture.written;
    }
    const uint64_t end = capture.end < capture.estimate ? capture.end : capture.estimate;
    uint64_t total = end > capture.first ? end - capture.first : 0;
    // To the end of the show, the estimate from the music's length gives way to what came.
    if (done && capture.end == UINT64_MAX && !capture.failed) total = capture.written;
    const uint64_t written = capture.written < total ? capture.written : total;
    const double part = total ? static_cast<double>(written) / total : 1.0;
    char bar[31];
    for (int i = 0; i < 30; i++) bar[i] = i < static_cast<int>(part * 30) ? '#' : '-';
    bar[30] = '\0';
    const double show = static_cast<double>(capture.shown) / capture.options->rate;
    std::string left = "--:--";
    if (done)
        left = minutes(std::chrono::duration<double>(now - capture.started).count()) + " in all";
    else if (capture.speed > 0)
        left = minutes((total - written) / capture.speed) + " left";
    fprintf(stderr, "%s[%s] %llu/%llu frames  show %s.%d  %s   %s", capture.terminal ? "\r" : "", bar,
            static_cast<unsigned long long>(capture.written), static_cast<unsigned long long>(total),
            minutes(show).c_str(), static_cast<int>(show * 10) % 10, left.c_str(),
            capture.terminal && !done ? "" : "\n");
    fflush(stderr);
}

void sink(int width, int height, const unsigned char *rgba, uint64_t presented, uint32_t, void *)
{
    const s_captureoptions *options = capture.options;
    if (presented == 0) {
        capture.device_start = fenk_headless_audioframes() - audiodriver_headless_played();
        const uint64_t music_frames = demomusic.channels ? demomusic.length / demomusic.channels : 0;
        const uint64_t music_rate = demomusic.frequency ? demomusic.frequency : SOUNDSYSTEM_DEVICERATE;
        capture.estimate = music_frames * static_cast<uint64_t>(options->fps) / music_rate + 2;
        if (capture.next == 0) {
            // The screen before the show's first frame.
            std::vector<unsigned char> black(static_cast<size_t>(width) * height * 4, 0);
            for (size_t i = 3; i < black.size(); i += 4) black[i] = 255;
            emit(0, width, height, black.data());
            capture.next = 1;
        }
    }
    capture.shown = presented + 1;
    if (capture.next < capture.end && capture.shown == show_frame_of(capture.next)) {
        if (capture.next == (capture.first > 0 ? capture.first : 1)) {
            // Drawn frames cost far more than the skipped ones: the estimate starts here.
            capture.speed = 0;
            capture.speed_time = clock_type::now();
            capture.speed_frames = capture.written;
        }
        if (rgba) {
            emit(capture.next, width, height, rgba);
        } else {
            fprintf(stderr, "\nshow_capture: the show's frame %llu was not drawn\n",
                    static_cast<unsigned long long>(capture.shown));
            capture.failed = true;
        }
        capture.next += 1;
        draw_next();
    }
    progress(false);
    if (capture.shown >= capture.last_show || capture.failed) gameactive = 0;
}

void remove_quietly(const std::string &path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

// The sound track for the frames written, cut from the device's recording.
bool write_sound(const std::string &recording, const std::string &path)
{
    FILE *file = fopen(recording.c_str(), "rb");
    std::vector<int16_t> recorded;
    if (file) {
        fseek(file, SOUNDSYSTEM_WAVHEADER, SEEK_SET);
        int16_t block[8192];
        size_t got;
        while ((got = fread(block, sizeof block[0], 8192, file)) > 0)
            recorded.insert(recorded.end(), block, block + got);
        fclose(file);
    }
    const int fps = capture.options->fps;
    const uint64_t from = Capture_SoundFrameAt(capture.first, fps);
    const uint64_t to = Capture_SoundFrameAt(capture.last_written + 1, fps);
    std::vector<int16_t> track((to - from) * 2, 0);
    for (uint64_t f = from; f < to; f++) {
        // Before the device opened, and past what it played (never, when the clock
        // drove it to the last frame's end), the track is silent.
        if (f < capture.device_start) continue;
        const uint64_t at = (f - capture.device_start) * 2;
        if (at + 1 >= recorded.size()) break;
        track[(f - from) * 2] = recorded[at];
        track[(f - from) * 2 + 1] = recorded[at + 1];
    }
    return Capture_WriteWAV(path.c_str(), track.data(), to - from, 2, SOUNDSYSTEM_DEVICERATE);
}

// Makes the place for the frames, starts the recording and the encoder; false, with a
// message, when any of them cannot be.
bool open_outputs(const char *ffmpeg, std::string *recording)
{
    const s_captureoptions *options = capture.options;
    if (ffmpeg) {
        capture.video = std::string(options->out) + ".video.part";
        *recording = std::string(options->out) + ".recording.part";
    } else {
        capture.folder =
            options->frames ? options->frames : fs::path(options->out).replace_extension().string();
        if (!options->frames)
            fprintf(stderr, "show_capture: no ffmpeg here; writing PNG frames and sound.wav to %s\n",
                    capture.folder.c_str());
        std::error_code error;
        fs::create_directories(capture.folder, error);
        if (error) {
            fprintf(stderr, "show_capture: cannot make the folder %s: %s\n", capture.folder.c_str(),
                    error.message().c_str());
            return false;
        }
        *recording = capture.folder + "/sound.wav.recording.part";
    }
    // The recording is the first file written: a place that cannot take it is
    // reported before the show starts.
    FILE *probe = fopen(recording->c_str(), "wb");
    if (!probe) {
        fprintf(stderr, "show_capture: cannot write %s: %s\n", recording->c_str(), strerror(errno));
        return false;
    }
    fclose(probe);
    if (!audiodriver_headless_record(recording->c_str())) return false;
    if (ffmpeg && !Capture_StartVideo(&capture.encoder, ffmpeg, capture.video.c_str(), options->width,
                                      options->height, options->fps, options->preset)) {
        audiodriver_headless_stoprecord();
        return false;
    }
    capture.encoding = ffmpeg != nullptr;
    return true;
}

// Whether a run that has ended left something to write; says why not.
bool run_succeeded(int result, bool recorded, const std::string &recording)
{
    if (capture.failed) return false;
    if (result != 0) {
        fprintf(stderr, "show_capture: the show stopped with %d; nothing written\n", result);
        return false;
    }
    if (!recorded) {
        fprintf(stderr, "show_capture: the sound could not be recorded to %s\n", recording.c_str());
        return false;
    }
    if (capture.written == 0) {
        fprintf(stderr,
                "show_capture: the show ended after %.2f s (its music was over), before --from %g s\n",
                static_cast<double>(fenk_headless_framecount() + 1) / capture.options->rate,
                capture.options->from);
        return false;
    }
    return true;
}

} // namespace

int Capture_Run(const s_captureoptions *options, const char *program)
{
    capture = Capture{};
    capture.options = options;
    Capture_FrameRange(options, &capture.first, &capture.end);
    capture.next = capture.first;
    capture.last_show = capture.end == UINT64_MAX
                            ? UINT64_MAX
                            : Capture_LastShowFrame(capture.end, options->fps, options->rate);
    capture.terminal = isatty(2);

    const char *ffmpeg = options->frames ? nullptr : Capture_FindFFmpeg();
    std::string recording;
    if (!open_outputs(ffmpeg, &recording)) {
        remove_quietly(recording);
        return 1;
    }

    show_videowidth = options->width;
    show_videoheight = options->height;
    show_videoflags = options->flags;
    fenk_headless_setframerate(options->rate);
    fenk_headless_drawfrom(0);
    draw_next();
    fenk_headless_setframesink(sink, nullptr);
    capture.started = capture.printed = capture.speed_time = clock_type::now();

    char *argv[] = {const_cast<char *>(program), nullptr};
    const int result = fenk_headless_run(1, argv);
    fflush(stdout);
    progress(true);
    const bool recorded = audiodriver_headless_stoprecord();
    const bool encoded = !capture.encoding || Capture_FinishVideo(&capture.encoder);
    bool ok = run_succeeded(result, recorded, recording) && encoded;

    if (ok && capture.encoding) {
        const std::string sound = std::string(options->out) + ".sound.wav";
        ok = write_sound(recording, sound) &&
             Capture_Mux(ffmpeg, capture.video.c_str(), sound.c_str(), options->out);
        remove_quietly(sound);
    } else if (ok) {
        ok = write_sound(recording, capture.folder + "/sound.wav");
    }
    remove_quietly(recording);
    if (capture.encoding) remove_quietly(capture.video);
    if (!ok) return result != 0 ? result : 1;

    fprintf(stderr, "show_capture: %llu frames (%llu to %llu) at %d fps of the show at %d in %s\n",
            static_cast<unsigned long long>(capture.written), static_cast<unsigned long long>(capture.first),
            static_cast<unsigned long long>(capture.last_written), options->fps, options->rate,
            capture.encoding ? options->out : capture.folder.c_str());
    return 0;
}
