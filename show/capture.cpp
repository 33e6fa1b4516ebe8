// The capture drives the show through the headless host: the clock moves exactly one
// frame time per presented frame, the virtual sound device plays in step with it and
// records everything it plays, and each presented frame goes to the encoder or a PNG.
// Frames before the range asked for run in full (the show's state depends on every
// frame before) but are not drawn.
#include "show/capture.h"

#include <errno.h>
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "hosts/driver_headless.h"
#include "show/capture_output.h"
#include "show/main.h"
#include "show/unseen.h"
#include "hosts/audiodriver_headless.h"
#include "sound/loadwav.h"

namespace fs = std::filesystem;

namespace {

// Seconds on a steady clock, for the progress line.
double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Capture {
    const CaptureOptions *options;
    CaptureProgress progress;       // the frames to write and those written, and the progress line
    uint64_t last_show;             // the show frame it runs to (UINT64_MAX: the music's end)
    uint64_t next;                  // the next video frame to write
    std::string folder;             // frames mode
    std::vector<std::string> files; // frames mode: what this run wrote there
    std::vector<std::string> made;  // frames mode: the folders it made, deepest first
    std::string video;              // MP4 mode: the encoder's video-only file
    VideoEncoder encoder;
    bool encoding;
    uint64_t last_written;
    uint64_t device_start; // sound frames the clock had run when the device opened
    CapturePlan plan;      // which frames are written, drawn unseen or run undrawn
};

uint64_t show_frame_of(const Capture &capture, uint64_t frame)
{
    return capture_show_frame_at(frame, capture.options->fps, capture.options->rate);
}

// One plan for the host and the show, frames counted as presented.
static_assert(int{CAPTURE_FRAME_WRITTEN} == FENK_HEADLESS_SHOWN &&
                  int{CAPTURE_FRAME_WRITTEN} == SHOW_FRAME_SHOWN &&
                  int{CAPTURE_FRAME_UNSEEN} == FENK_HEADLESS_UNSHOWN &&
                  int{CAPTURE_FRAME_UNSEEN} == SHOW_FRAME_UNSEEN &&
                  int{CAPTURE_FRAME_UNDRAWN} == FENK_HEADLESS_UNDRAWN &&
                  int{CAPTURE_FRAME_UNDRAWN} == SHOW_FRAME_UNDRAWN,
              "the capture, the host and the show number frame kinds alike");

int plan_kind(uint64_t frame, void *user)
{
    return capture_frame_kind(&static_cast<Capture *>(user)->plan, frame);
}

uint64_t plan_next(uint64_t frame, void *user)
{
    return capture_next_written(&static_cast<Capture *>(user)->plan, frame);
}

void emit(Capture &capture, uint64_t frame, int width, int height, const unsigned char *rgba)
{
    if (capture.progress.failed) return;
    bool ok;
    if (capture.encoding) {
        ok = capture_video_frame(&capture.encoder, rgba);
        // ffmpeg in the same process group is ended by the same Ctrl-C: not its fault.
        if (!ok && !capture_interrupted())
            fprintf(stderr, "\nshow_capture: ffmpeg stopped taking frames at frame %llu\n",
                    static_cast<unsigned long long>(frame));
    } else {
        char name[32];
        snprintf(name, sizeof name, "/frame%06llu.png", static_cast<unsigned long long>(frame));
        ok = capture_write_png((capture.folder + name).c_str(), width, height, rgba);
        if (ok) capture.files.push_back(capture.folder + name);
    }
    if (!ok) {
        capture.progress.failed = true;
        return;
    }
    capture.progress.written += 1;
    capture.last_written = frame;
}

void sink(int width, int height, const unsigned char *rgba, uint64_t presented, uint32_t, void *user)
{
    Capture &capture = *static_cast<Capture *>(user);
    const CaptureOptions *options = capture.options;
    if (presented == 0) {
        capture.device_start = fenk_headless_audioframes() - audiodriver_headless_played();
        const uint64_t music_frames = demomusic.channels ? demomusic.length / demomusic.channels : 0;
        const uint64_t music_rate = demomusic.frequency ? demomusic.frequency : SOUNDSYSTEM_DEVICERATE;
        capture.progress.estimate = music_frames * static_cast<uint64_t>(options->fps) / music_rate + 2;
        if (capture.next == 0) {
            // The screen before the show's first frame.
            std::vector<unsigned char> black(static_cast<size_t>(width) * height * 4, 0);
            for (size_t i = 3; i < black.size(); i += 4) black[i] = 255;
            emit(capture, 0, width, height, black.data());
            capture.next = 1;
        }
    }
    capture.progress.shown = presented + 1;
    if (capture.next < capture.progress.end &&
        capture.progress.shown == show_frame_of(capture, capture.next)) {
        if (capture.next == (capture.progress.first > 0 ? capture.progress.first : 1)) {
            // Drawn frames cost far more than the skipped ones: the estimate starts here.
            capture_restart_speed(&capture.progress, now());
        }
        if (rgba) {
            emit(capture, capture.next, width, height, rgba);
        } else {
            fprintf(stderr, "\nshow_capture: the show's frame %llu was not drawn\n",
                    static_cast<unsigned long long>(capture.progress.shown));
            capture.progress.failed = true;
        }
        capture.next += 1;
    }
    capture_report_progress(&capture.progress, now(), 0);
    if (capture.progress.shown >= capture.last_show || capture.progress.failed || capture_interrupted())
        gameactive = 0;
}

void remove_quietly(const std::string &path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

// The sound track for the frames written, cut from the device's recording.
bool write_sound(const Capture &capture, const std::string &recording, const std::string &path)
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
    const uint64_t from = capture_sound_frame_at(capture.progress.first, fps);
    const uint64_t to = capture_sound_frame_at(capture.last_written + 1, fps);
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
    return capture_write_wav(path.c_str(), track.data(), to - from, 2, SOUNDSYSTEM_DEVICERATE);
}

// Makes the place for the frames, starts the recording and the encoder; false, with a
// message, when any of them cannot be.
bool open_outputs(Capture &capture, const char *ffmpeg, std::string *recording)
{
    const CaptureOptions *options = capture.options;
    if (ffmpeg) {
        capture.video = std::string(options->out) + ".video.part";
        *recording = std::string(options->out) + ".recording.part";
    } else {
        capture.folder =
            options->frames ? options->frames : fs::path(options->out).replace_extension().string();
        if (!options->frames)
            fprintf(stderr, "show_capture: no ffmpeg here; writing PNG frames and sound.wav to %s\n",
                    capture.folder.c_str());
        // The folders still to be made, so that a run that fails takes them away again.
        std::error_code error;
        fs::path folder = fs::path(capture.folder).lexically_normal();
        if (!folder.has_filename()) folder = folder.parent_path();
        for (; !folder.empty() && !fs::exists(folder, error); folder = folder.parent_path()) {
            capture.made.push_back(folder.string());
            if (folder == folder.parent_path()) break;
        }
        fs::create_directories(capture.folder, error);
        // Only those made are taken away again: on a read-only mount that is none.
        std::erase_if(capture.made, [](const std::string &made) {
            std::error_code ignored;
            return !fs::is_directory(made, ignored);
        });
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
    if (ffmpeg && !capture_start_video(&capture.encoder, ffmpeg, capture.video.c_str(), options->width,
                                       options->height, options->fps, options->preset)) {
        audiodriver_headless_stoprecord();
        return false;
    }
    capture.encoding = ffmpeg != nullptr;
    return true;
}

// Takes away what a frames run that failed or was interrupted wrote: its frames, its
// sound and the folders it made, unless something else has been put in them.
void discard_frames(Capture &capture)
{
    for (const std::string &file : capture.files) remove_quietly(file);
    capture.files.clear();
    for (const std::string &folder : capture.made) {
        std::error_code error;
        fs::remove(folder, error);
        if (error) {
            fprintf(stderr, "show_capture: kept the folder %s: it holds files this run did not write\n",
                    folder.c_str());
            break;
        }
    }
    capture.made.clear();
}

// Whether a run that has ended left something to write; says why not.
bool run_succeeded(const Capture &capture, int result, bool recorded, const std::string &recording)
{
    if (capture.progress.failed) return false;
    if (result != 0) {
        fprintf(stderr, "show_capture: the show stopped with %d; nothing written\n", result);
        return false;
    }
    if (!recorded) {
        fprintf(stderr, "show_capture: the sound could not be recorded to %s\n", recording.c_str());
        return false;
    }
    if (capture.progress.written == 0) {
        fprintf(stderr,
                "show_capture: the show ended after %.2f s (its music was over), before --from %g s\n",
                static_cast<double>(fenk_headless_framecount() + 1) / capture.options->rate,
                capture.options->from);
        return false;
    }
    return true;
}

} // namespace

int capture_run(const CaptureOptions *options, const char *program)
{
    Capture capture{};
    capture.options = options;
    capture.progress.rate = options->rate;
    capture_frame_range(options, &capture.progress.first, &capture.progress.end);
    capture.next = capture.progress.first;
    capture.last_show = capture.progress.end == UINT64_MAX
                            ? UINT64_MAX
                            : capture_last_show_frame(capture.progress.end, options->fps, options->rate);
    capture.progress.terminal = isatty(2);

    capture_catch_signals();
    // Found before the show runs rather than when the finished video cannot be put there.
    std::error_code ignored;
    if (!options->frames && fs::is_directory(options->out, ignored)) {
        fprintf(stderr, "show_capture: cannot write %s: it is a folder (--out names the video file)\n",
                options->out);
        return 1;
    }
    const char *ffmpeg = options->frames ? nullptr : capture_find_ffmpeg();
    std::string recording;
    if (!open_outputs(capture, ffmpeg, &recording)) {
        remove_quietly(recording);
        discard_frames(capture);
        return 1;
    }

    show_videowidth = options->width;
    show_videoheight = options->height;
    show_videoflags = options->flags;
    fenk_headless_setframerate(options->rate);
    capture_make_plan(options, &capture.plan);
    fenk_headless_setframeplan(plan_kind, &capture);
    const ShowFramePlan show_plan = {plan_kind, options->drawall ? nullptr : plan_next, &capture,
                                     options->redraw, options->rate};
    show_setframeplan(&show_plan);
    fenk_headless_readwindow(options->readwindow);
    fenk_headless_setframesink(sink, &capture);
    capture_start_progress(&capture.progress, now());

    char *argv[] = {const_cast<char *>(program), nullptr};
    const int result = fenk_headless_run(1, argv);
    // They point at this call's record.
    fenk_headless_setframesink(nullptr, nullptr);
    fenk_headless_setframeplan(nullptr, nullptr);
    show_setframeplan(nullptr);
    fenk_headless_readwindow(0);
    fflush(stdout);
    capture_report_progress(&capture.progress, now(), 1);
    const bool recorded = audiodriver_headless_stoprecord();
    const bool encoded = !capture.encoding || capture_finish_video(&capture.encoder);
    bool ok = !capture_interrupted() && run_succeeded(capture, result, recorded, recording) && encoded;

    if (ok && capture.encoding) {
        const std::string sound = std::string(options->out) + ".sound.wav";
        ok = write_sound(capture, recording, sound) &&
             capture_mux(ffmpeg, capture.video.c_str(), sound.c_str(), options->out);
        remove_quietly(sound);
    } else if (ok) {
        const std::string sound = capture.folder + "/sound.wav";
        ok = write_sound(capture, recording, sound);
        if (ok) capture.files.push_back(sound);
    }
    remove_quietly(recording);
    if (capture.encoding) remove_quietly(capture.video);
    // An interrupted run leaves nothing, even what was finished as the signal came.
    if (const int signal = capture_interrupted()) {
        if (ok && capture.encoding) remove_quietly(options->out);
        discard_frames(capture);
        fprintf(stderr, "show_capture: interrupted\n");
        return 128 + signal;
    }
    if (!ok) {
        discard_frames(capture);
        return result != 0 ? result : 1;
    }

    fprintf(stderr, "show_capture: %llu frames (%llu to %llu) at %d fps of the show at %d in %s\n",
            static_cast<unsigned long long>(capture.progress.written),
            static_cast<unsigned long long>(capture.progress.first),
            static_cast<unsigned long long>(capture.last_written), options->fps, options->rate,
            capture.encoding ? options->out : capture.folder.c_str());
    return 0;
}
