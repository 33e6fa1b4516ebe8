// show_capture's options, the frame arithmetic they imply, and the progress line.
#include "show/capture_options.h"

#include <errno.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "sound/coresound.h"

const char *const capture_usage =
    "Usage: show_capture [options]\n"
    "Renders the show frame by frame with its sound, on a machine without a screen or a\n"
    "sound card. Run it from a folder that holds the show's data folder.\n"
    "  --fps N       video frames per second, 1 up to the show's rate (default 60): the\n"
    "                video gets the show's frame on screen at each of its times, so any\n"
    "                rate gives the same frames at the times it shares with another (the\n"
    "                frames between are drawn only where the next one written does not)\n"
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
    "  --draw-all    draw every frame of the show whole, also those before --from: slower,\n"
    "                but what frames before --from leave outside the picture tube is\n"
    "                then there as well (see README)\n"
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

namespace {

// One parse: where the values go and where a refusal's reason goes.
struct Parse {
    CaptureOptions *options;
    char *message;
    size_t size;
};

// Always false: the refusal, its reason written.
__attribute__((format(printf, 2, 3))) bool refuse(Parse &p, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(p.message, p.size, format, args);
    va_end(args);
    return false;
}

bool set_fps(const char *, const char *value, Parse &p)
{
    return parse_whole(value, 1, CAPTURE_MAXRATE, &p.options->fps) ||
           refuse(p, "--fps takes a whole number from 1 to the show's rate, not %s", value);
}

bool set_rate(const char *, const char *value, Parse &p)
{
    return parse_whole(value, 1, CAPTURE_MAXRATE, &p.options->rate) ||
           refuse(p, "--rate takes a whole number from 1 to %d (the show draws at most every 15 ms), not %s",
                  CAPTURE_MAXRATE, value);
}

bool set_mode(const char *, const char *value, Parse &p)
{
    const std::string mode = value;
    if (mode != "1080" && mode != "full" && mode != "720")
        return refuse(p, "--mode takes 1080, 720 or full, not %s", value);
    const bool small = mode == "720";
    p.options->width = small ? 1280 : 1920;
    p.options->height = small ? 720 : 1080;
    p.options->flags = mode == "full";
    return true;
}

bool set_preset(const char *, const char *value, Parse &p)
{
    for (const char *preset : x264_presets)
        if (strcmp(preset, value) == 0) {
            p.options->preset = preset;
            return true;
        }
    return refuse(p,
                  "--preset takes one of x264's presets, ultrafast, superfast, veryfast, faster, "
                  "fast, medium, slow, slower, veryslow or placebo, not %s",
                  value);
}

bool set_file(const char *name, const char *value, Parse &p)
{
    if (!*value) return refuse(p, "%s needs a file name", name);
    (strcmp(name, "--out") == 0 ? p.options->out : p.options->frames) = value;
    return true;
}

bool set_seconds(const char *name, const char *value, Parse &p)
{
    double number = 0;
    if (!parse_number(value, &number) || number < 0 || number > CAPTURE_MAXSECONDS)
        return refuse(p, "%s takes seconds from 0 to %.0f (the longest the show can last), not %s", name,
                      CAPTURE_MAXSECONDS, value);
    (strcmp(name, "--from") == 0 ? p.options->from : p.options->to) = number;
    return true;
}

// The options that take a value, as "--name value" or "--name=value".
struct OptionRule {
    const char *name;
    bool (*set)(const char *name, const char *value, Parse &p);
};
const OptionRule option_rules[] = {{"--fps", set_fps},       {"--rate", set_rate}, {"--mode", set_mode},
                                   {"--preset", set_preset}, {"--out", set_file},  {"--frames", set_file},
                                   {"--from", set_seconds},  {"--to", set_seconds}};

// What no single option decides.
bool consistent(Parse &p)
{
    const CaptureOptions *o = p.options;
    // Every video frame is a frame of the show: a faster video would only repeat them.
    if (o->fps > o->rate)
        return refuse(p,
                      "--fps %d is above the show's rate of %d frames a second; ask for at most %d, or a "
                      "higher --rate",
                      o->fps, o->rate, o->rate);
    if (o->to >= 0 && o->to <= o->from)
        return refuse(p, "--to (%g s) must lie after --from (%g s)", o->to, o->from);
    uint64_t first = 0, end = 0;
    capture_frame_range(o, &first, &end);
    if (first >= end)
        return refuse(p, "--from %.10g --to %.10g holds no video frame at %d fps (they come every %.4g s)",
                      o->from, o->to, o->fps, 1.0 / o->fps);
    return true;
}

} // namespace

int capture_parse_options(int argc, char **argv, CaptureOptions *options, char *message, size_t size)
{
    *options = CaptureOptions{60, CAPTURE_DEFAULTRATE, 1920, 1080, 0, "show.mp4", nullptr, 0.0, -1.0,
                              0,  "veryfast",          0,    0};
    Parse p{options, message, size};
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
        const OptionRule *rule = nullptr;
        for (const OptionRule &r : option_rules)
            if (name == r.name) rule = &r;
        if (!rule) return refuse(p, "unknown option %s", name.c_str()), CAPTURE_BADOPTION;
        if (!value) {
            if (i + 1 >= argc) return refuse(p, "%s needs a value", rule->name), CAPTURE_BADOPTION;
            value = argv[++i];
        }
        if (!rule->set(rule->name, value, p)) return CAPTURE_BADOPTION;
    }
    return consistent(p) ? CAPTURE_RUN : CAPTURE_BADOPTION;
}

// A frame at a time a hair past a whole frame (from decimal seconds) still counts as
// that frame. Times are at most CAPTURE_MAXSECONDS, so the product fits.
static uint64_t frame_at(double seconds, int fps)
{
    const double frame = ceil(seconds * fps - 1e-6);
    return frame > 0 ? static_cast<uint64_t>(frame) : 0;
}

void capture_frame_range(const CaptureOptions *options, uint64_t *first, uint64_t *end)
{
    *first = frame_at(options->from, options->fps);
    *end = options->to < 0 ? UINT64_MAX : frame_at(options->to, options->fps);
}

uint64_t capture_sound_frame_at(uint64_t frame, int fps)
{
    return frame * SOUNDSYSTEM_DEVICERATE / static_cast<uint64_t>(fps);
}

uint64_t capture_show_frame_at(uint64_t frame, int fps, int rate)
{
    return frame * static_cast<uint64_t>(rate) / static_cast<uint64_t>(fps);
}

uint64_t capture_last_show_frame(uint64_t end, int fps, int rate)
{
    if (end == 0) return 0;
    const uint64_t product = end * static_cast<uint64_t>(rate);
    return (product + static_cast<uint64_t>(fps) - 1) / static_cast<uint64_t>(fps) - 1;
}

// ---- The frame plan ----

void capture_make_plan(const CaptureOptions *options, CapturePlan *plan)
{
    uint64_t first = 0, end = 0;
    capture_frame_range(options, &first, &end);
    plan->fps = options->fps;
    plan->rate = options->rate;
    // Video frame 0 is the black screen before the show's first frame: nothing drawn.
    plan->first = first > 0 ? first : 1;
    plan->end = end;
    plan->whole = options->drawall;
    plan->redraw = options->redraw;
    // The frames before the first one written are not drawn at all (with --draw-all
    // they are drawn whole).
    plan->draw_from = 0;
    if (!options->drawall && first > 1)
        plan->draw_from = capture_show_frame_at(first, plan->fps, plan->rate) - 1;
}

uint64_t capture_next_written(const CapturePlan *plan, uint64_t frame)
{
    // Video frame n shows show frame n * rate / fps (rounded down), presented as frame
    // one less: the first n whose show frame reaches frame + 1.
    const uint64_t fps = static_cast<uint64_t>(plan->fps), rate = static_cast<uint64_t>(plan->rate);
    uint64_t n = ((frame + 1) * fps + rate - 1) / rate;
    if (n < plan->first) n = plan->first;
    if (n >= plan->end) return UINT64_MAX;
    return capture_show_frame_at(n, plan->fps, plan->rate) - 1;
}

int capture_frame_kind(const CapturePlan *plan, uint64_t frame)
{
    if (frame < plan->draw_from) return CAPTURE_FRAME_UNDRAWN;
    const uint64_t next = capture_next_written(plan, frame);
    if (next == UINT64_MAX) return CAPTURE_FRAME_UNDRAWN;
    return next == frame ? CAPTURE_FRAME_WRITTEN : CAPTURE_FRAME_UNSEEN;
}

// ---- Progress ----

static std::string minutes(double seconds)
{
    char text[32];
    const int whole = static_cast<int>(seconds);
    snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

void capture_start_progress(CaptureProgress *progress, double now)
{
    progress->started = progress->printed = progress->speed_time = now;
}

void capture_restart_speed(CaptureProgress *progress, double now)
{
    progress->speed = 0;
    progress->speed_time = now;
    progress->speed_frames = progress->written;
}

void capture_progress_line(CaptureProgress *progress, double now, int done, char *line, size_t size)
{
    const double window = now - progress->speed_time;
    if (window >= 1.0 && progress->written > 0) {
        const double lately = (progress->written - progress->speed_frames) / window;
        progress->speed = progress->speed > 0 ? 0.5 * progress->speed + 0.5 * lately : lately;
        progress->speed_time = now;
        progress->speed_frames = progress->written;
    }
    const uint64_t end = progress->end < progress->estimate ? progress->end : progress->estimate;
    uint64_t total = end > progress->first ? end - progress->first : 0;
    // To the end of the show, the estimate from the music's length gives way to what came.
    if (done && progress->end == UINT64_MAX && !progress->failed) total = progress->written;
    const uint64_t written = progress->written < total ? progress->written : total;
    const double part = total ? static_cast<double>(written) / total : 1.0;
    char bar[31];
    for (int i = 0; i < 30; i++) bar[i] = i < static_cast<int>(part * 30) ? '#' : '-';
    bar[30] = '\0';
    const double show = static_cast<double>(progress->shown) / progress->rate;
    std::string left = "--:--";
    if (done)
        left = minutes(now - progress->started) + " in all";
    else if (progress->speed > 0)
        left = minutes((total - written) / progress->speed) + " left";
    snprintf(line, size, "%s[%s] %llu/%llu frames  show %s.%d  %s   %s", progress->terminal ? "\r" : "", bar,
             static_cast<unsigned long long>(progress->written), static_cast<unsigned long long>(total),
             minutes(show).c_str(), static_cast<int>(show * 10) % 10, left.c_str(),
             progress->terminal && !done ? "" : "\n");
}

void capture_report_progress(CaptureProgress *progress, double now, int done)
{
    if (!done && now - progress->printed < (progress->terminal ? 0.25 : 5.0)) return;
    progress->printed = now;
    char line[256];
    capture_progress_line(progress, now, done, line, sizeof line);
    fputs(line, stderr);
    fflush(stderr);
}
