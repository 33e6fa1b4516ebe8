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
    "  --fps N       frames per second, 1 to 66 (default 60)\n"
    "  --mode M      1080, 720 or full: the video mode of the show's builds (default 1080)\n"
    "  --out FILE    the MP4 to write, H.264 video and AAC sound through ffmpeg (default\n"
    "                show.mp4); without ffmpeg, the frames and sound go to the folder FILE\n"
    "                less its extension, as with --frames\n"
    "  --frames DIR  PNG frames (frame000000.png on, numbered by frame of the show) and\n"
    "                sound.wav in DIR, instead of an MP4\n"
    "  --from S      write from S seconds of the show on (earlier frames are worked out\n"
    "                but not drawn)\n"
    "  --to S        stop before S seconds of the show\n"
    "  --draw-all    draw the frames before --from too: slower, but what earlier frames\n"
    "                leave outside the picture tube is then there as well (see README)\n"
    "  --help        this text\n"
    "Progress goes to standard error; the show's own lines to standard output.\n";

// ---- Options ----

static bool parse_number(const char *text, double *value) {
    if (!text || !*text) return false;
    char *end = nullptr;
    errno = 0;
    *value = strtod(text, &end);
    return errno == 0 && *end == '\0' && isfinite(*value);
}

int Capture_ParseOptions(int argc, char **argv, s_captureoptions *options, char *message, size_t size) {
    *options = s_captureoptions{60, 1920, 1080, 0, "show.mp4", nullptr, 0.0, -1.0, 0};
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
        const bool known = name == "--fps" || name == "--mode" || name == "--out" || name == "--frames" ||
                           name == "--from" || name == "--to";
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
        double number = 0;
        if (name == "--fps") {
            if (!parse_number(value, &number) || number != floor(number) || number < 1 || number > CAPTURE_MAXFPS) {
                snprintf(message, size, "--fps takes a whole number from 1 to %d (the show draws at most every 15 ms), not %s",
                         CAPTURE_MAXFPS, value);
                return CAPTURE_BADOPTION;
            }
            options->fps = static_cast<int>(number);
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
        } else if (name == "--out" || name == "--frames") {
            if (!*value) {
                snprintf(message, size, "%s needs a file name", name.c_str());
                return CAPTURE_BADOPTION;
            }
            (name == "--out" ? options->out : options->frames) = value;
        } else {
            if (!parse_number(value, &number) || number < 0) {
                snprintf(message, size, "%s takes seconds (0 or more), not %s", name.c_str(), value);
                return CAPTURE_BADOPTION;
            }
            (name == "--from" ? options->from : options->to) = number;
        }
    }
    if (options->to >= 0 && options->to <= options->from) {
        snprintf(message, size, "--to (%g s) must lie after --from (%g s)", options->to, options->from);
        return CAPTURE_BADOPTION;
    }
    return CAPTURE_RUN;
}

// A frame at a time a hair past a whole frame (from decimal seconds) still counts as that frame.
static uint64_t frame_at(double seconds, int fps) {
    return static_cast<uint64_t>(ceil(seconds * fps - 1e-6));
}

void Capture_FrameRange(const s_captureoptions *options, uint64_t *first, uint64_t *end) {
    *first = frame_at(options->from, options->fps);
    *end = options->to < 0 ? UINT64_MAX : frame_at(options->to, options->fps);
}

uint64_t Capture_SoundFrameAt(uint64_t frame, int fps) {
    return frame * SOUNDSYSTEM_DEVICERATE / static_cast<uint64_t>(fps);
}

// ---- The run ----

namespace {

using clock_type = std::chrono::steady_clock;

struct Capture {
    const s_captureoptions *options;
    uint64_t first;
    uint64_t end;
    std::string folder;    // frames mode
    std::string video;     // MP4 mode: the encoder's video-only file
    s_videoencoder encoder;
    bool encoding;
    bool failed;
    uint64_t written;
    uint64_t last_written;
    uint64_t device_start;  // sound frames the clock had run when the device opened
    uint64_t estimate;      // video frames the show will have
    uint64_t music;         // the music position of the last frame drawn
    bool terminal;
    clock_type::time_point started, printed, speed_time;
    uint64_t speed_frame;
    double speed;  // frames per second, lately
} capture;

void emit(uint64_t frame, int width, int height, const unsigned char *rgba) {
    if (capture.failed) return;
    bool ok;
    if (capture.encoding) {
        ok = Capture_VideoFrame(&capture.encoder, rgba);
        if (!ok) fprintf(stderr, "\nshow_capture: ffmpeg stopped taking frames at frame %llu\n",
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

std::string minutes(double seconds) {
    char text[32];
    const int whole = static_cast<int>(seconds);
    snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

void progress(uint64_t frame, bool done) {
    const clock_type::time_point now = clock_type::now();
    const auto since = now - capture.printed;
    if (!done && since < (capture.terminal ? std::chrono::milliseconds(250) : std::chrono::seconds(5))) return;
    capture.printed = now;
    const double window = std::chrono::duration<double>(now - capture.speed_time).count();
    if (window >= 1.0) {
        const double lately = (frame - capture.speed_frame) / window;
        capture.speed = capture.speed > 0 ? 0.5 * capture.speed + 0.5 * lately : lately;
        capture.speed_time = now;
        capture.speed_frame = frame;
    }
    const uint64_t total = capture.end < capture.estimate ? capture.end : capture.estimate;
    const double part = total ? static_cast<double>(frame < total ? frame : total) / total : 1.0;
    char bar[31];
    for (int i = 0; i < 30; i++) bar[i] = i < static_cast<int>(part * 30) ? '#' : '-';
    bar[30] = '\0';
    const double music = static_cast<double>(capture.music) / SOUNDSYSTEM_DEVICERATE;
    std::string left = "--:--";
    if (done)
        left = minutes(std::chrono::duration<double>(now - capture.started).count()) + " in all";
    else if (capture.speed > 0)
        left = minutes((total - (frame < total ? frame : total)) / capture.speed) + " left";
    fprintf(stderr, "%s[%s] frame %llu/%llu  music %s.%d  %s   %s", capture.terminal ? "\r" : "", bar,
            static_cast<unsigned long long>(frame), static_cast<unsigned long long>(total),
            minutes(music).c_str(), static_cast<int>(music * 10) % 10, left.c_str(),
            capture.terminal && !done ? "" : "\n");
    fflush(stderr);
}

void sink(int width, int height, const unsigned char *rgba, uint64_t presented, uint32_t, void *) {
    if (presented == 0) {
        capture.device_start = fenk_headless_audioframes() - audiodriver_headless_played();
        const uint64_t music_frames = demomusic.channels ? demomusic.length / demomusic.channels : 0;
        capture.estimate = music_frames * capture.options->fps / SOUNDSYSTEM_DEVICERATE + 2;
        if (capture.first == 0) {
            // The screen before the show's first frame.
            std::vector<unsigned char> black(static_cast<size_t>(width) * height * 4, 0);
            for (size_t i = 3; i < black.size(); i += 4) black[i] = 255;
            emit(0, width, height, black.data());
        }
    }
    const uint64_t frame = presented + 1;
    capture.music = Soundsystem_ReadSoundOffset(&demomusic);
    if (frame == capture.first && frame > 0) {
        // Drawn frames cost far more than the skipped ones: the estimate starts again.
        capture.speed = 0;
        capture.speed_time = clock_type::now();
        capture.speed_frame = frame;
    }
    if (frame >= capture.first && frame < capture.end && rgba) emit(frame, width, height, rgba);
    progress(frame, false);
    if (frame + 1 >= capture.end || capture.failed) gameactive = 0;
}

void remove_quietly(const std::string &path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

// The sound track for the frames written, cut from the device's recording.
bool write_sound(const std::string &recording, const std::string &path) {
    FILE *file = fopen(recording.c_str(), "rb");
    std::vector<int16_t> recorded;
    if (file) {
        fseek(file, SOUNDSYSTEM_WAVHEADER, SEEK_SET);
        int16_t block[8192];
        size_t got;
        while ((got = fread(block, sizeof block[0], 8192, file)) > 0) recorded.insert(recorded.end(), block, block + got);
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
bool open_outputs(const char *ffmpeg, std::string *recording) {
    const s_captureoptions *options = capture.options;
    if (ffmpeg) {
        capture.video = std::string(options->out) + ".video.part";
        *recording = std::string(options->out) + ".recording.part";
    } else {
        capture.folder = options->frames ? options->frames : fs::path(options->out).replace_extension().string();
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
                                      options->height, options->fps)) {
        audiodriver_headless_stoprecord();
        return false;
    }
    capture.encoding = ffmpeg != nullptr;
    return true;
}

// Whether a run that has ended left something to write; says why not.
bool run_succeeded(int result, bool recorded, const std::string &recording) {
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
        fprintf(stderr, "show_capture: the show ended after %.2f s, before the frames asked for\n",
                static_cast<double>(fenk_headless_framecount() + 1) / capture.options->fps);
        return false;
    }
    return true;
}

}  // namespace

int Capture_Run(const s_captureoptions *options, const char *program) {
    capture = Capture{};
    capture.options = options;
    Capture_FrameRange(options, &capture.first, &capture.end);
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
    fenk_headless_setframerate(options->fps);
    fenk_headless_drawfrom(capture.first > 0 && !options->drawall ? capture.first - 1 : 0);
    fenk_headless_setframesink(sink, nullptr);
    capture.started = capture.printed = capture.speed_time = clock_type::now();

    char *argv[] = {const_cast<char *>(program), nullptr};
    const int result = fenk_headless_run(1, argv);
    fflush(stdout);
    progress(fenk_headless_framecount(), true);
    const bool recorded = audiodriver_headless_stoprecord();
    const bool encoded = !capture.encoding || Capture_FinishVideo(&capture.encoder);
    bool ok = run_succeeded(result, recorded, recording) && encoded;

    if (ok && capture.encoding) {
        const std::string sound = std::string(options->out) + ".sound.wav";
        ok = write_sound(recording, sound) && Capture_Mux(ffmpeg, capture.video.c_str(), sound.c_str(), options->out);
        remove_quietly(sound);
    } else if (ok) {
        ok = write_sound(recording, capture.folder + "/sound.wav");
    }
    remove_quietly(recording);
    if (capture.encoding) remove_quietly(capture.video);
    if (!ok) return result != 0 ? result : 1;

    fprintf(stderr, "show_capture: %llu frames (%llu to %llu) at %d fps in %s\n",
            static_cast<unsigned long long>(capture.written), static_cast<unsigned long long>(capture.first),
            static_cast<unsigned long long>(capture.last_written), options->fps,
            capture.encoding ? options->out : capture.folder.c_str());
    return 0;
}
