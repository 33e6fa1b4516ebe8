// The show's frame on the headless host beside a hand-written OpenGL frame doing the
// same passes (the background into the 2844 x 1600 scene buffer, the picture-tube
// shader into the 1920 x 1080 screen buffer, presentation with the host's read-back
// and swap), both timed in the same run of the show, one raw frame after each show
// frame, so that the changing load of a shared machine falls on both alike. Also the
// show's start-up, from fenk_headless_run to its first presented frame.
//
// The show runs once per process (its state lives in the engine's tables), so every
// start-up is timed in a child forked before the show runs here: after that this
// process holds a GL context whose driver threads a child would not have.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <EGL/egl.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hosts/driver_headless.h"
#include "show/main.h"
#include "sound/audiodriver.h"
#include "sound/coresound.h"
#include "video/video_opengl_extended.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_between(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double best(const std::vector<double> &v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

// Show frames before anything is timed: the driver compiles its shaders and lays out
// the frame buffers' storage on first use.
constexpr int warmup_frames = 30;
constexpr int raw_warmup_frames = 10;
// Pairs of a show frame and a raw frame timed where the show draws neither pictures
// nor captions, the frame the raw one copies.
constexpr int plain_pairs = 160;
// Raw frames whose passes are each finished on their own, for the breakdown.
constexpr int split_frames = 10;
// Then pairs in the main section, for what the pictures and captions add: step 6 of
// the music shows a rotation picture with the alpha draw and the first caption line.
constexpr uint64_t main_section_pos = 620000;
constexpr uint64_t main_section_end = 700000;
constexpr int main_pairs = 50;
constexpr int startup_runs = 5;
constexpr int mix_pass_count = 200;

// ---- The hand-written frame: OpenGL 1.1 with frame buffer objects and GLSL 1.20 ----

struct RawFrame {
    GLuint background;
    int background_width, background_height;
    float u0, v0, u1, v1;
    GLuint scene_fbo, scene_texture;
    GLuint screen_fbo, screen_texture;
    GLuint program;
    GLint time_at, fade_at;
    EGLDisplay display;
    EGLSurface surface;
    int window_width, window_height;
    std::vector<unsigned char> readback, topdown;
};

enum Pass { scene_pass, tube_pass, present_pass, readback_pass, swap_pass, pass_count };
const char *const pass_names[pass_count] = {"background into the scene buffer", "tube pass",
                                            "presentation quad", "read-back", "swap"};

// Filtered, mirrored at the edges, as the show's frame buffers are.
GLuint render_target(int width, int height, GLuint *texture)
{
    glGenTextures(1, texture);
    glBindTexture(GL_TEXTURE_2D, *texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLuint fbo = 0;
    glGenFramebuffersEXT(1, &fbo);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, *texture, 0);
    const bool complete = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return complete ? fbo : 0;
}

GLuint build_program(const char *vertex_source, const char *fragment_source)
{
    const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
    const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
    glShaderSource(vertex, 1, &vertex_source, nullptr);
    glShaderSource(fragment, 1, &fragment_source, nullptr);
    glCompileShader(vertex);
    glCompileShader(fragment);
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked ? program : 0;
}

// Its own copy of the background, made as the engine makes a bitmap's texture, and its
// own two frame buffers of the show's sizes. Runs on the host's context, which is
// current while the frame sink is called.
std::string raw_setup(RawFrame &r)
{
    r.display = eglGetCurrentDisplay();
    r.surface = eglGetCurrentSurface(EGL_DRAW);
    EGLint width = 0, height = 0;
    eglQuerySurface(r.display, r.surface, EGL_WIDTH, &width);
    eglQuerySurface(r.display, r.surface, EGL_HEIGHT, &height);
    r.window_width = width;
    r.window_height = height;
    if (!bmp_background.pixels) return "the background picture is not loaded";

    glGenTextures(1, &r.background);
    glBindTexture(GL_TEXTURE_2D, r.background);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, bmp_background.texwidth, bmp_background.texheight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, bmp_background.pixels);
    r.background_width = bmp_background.width;
    r.background_height = bmp_background.height;
    r.u0 = bmp_background.u0;
    r.v0 = bmp_background.v0;
    r.u1 = bmp_background.u1;
    r.v1 = bmp_background.v1;

    r.scene_fbo = render_target(SHOW_SCENE_WIDTH, SHOW_SCENE_HEIGHT, &r.scene_texture);
    r.screen_fbo = render_target(SHOW_SCREEN_WIDTH, SHOW_SCREEN_HEIGHT, &r.screen_texture);
    if (!r.scene_fbo || !r.screen_fbo) return "a frame buffer object is incomplete";
    r.program = build_program(vv_xcopy, ff_xcopy);
    if (!r.program) return "the tube shader does not link";
    r.time_at = glGetUniformLocation(r.program, "time");
    r.fade_at = glGetUniformLocation(r.program, "fadevalue");
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    return "";
}

// Pixel coordinates, origin top-left.
void pixel_projection(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Counter-clockwise on screen, so face culling, which the engine leaves on, keeps it.
void draw_quad(float x, float y, float w, float h, float u0, float v0, float u1, float v1)
{
    const float vertices[8] = {x, y, x, y + h, x + w, y + h, x + w, y};
    const float texcoords[8] = {u0, v0, u0, v1, u1, v1, u1, v0};
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texcoords);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

// The show's camera rectangle for a frame.
void camera(int frame, int rect[4])
{
    const ShowCamera c = crt_camera(frame);
    for (int i = 0; i < 4; i++) rect[i] = c.rect[i];
}

// What the headless host does with every presented frame while a frame sink is set.
void read_back(RawFrame &r)
{
    const size_t row = static_cast<size_t>(r.window_width) * 4;
    r.readback.resize(row * static_cast<size_t>(r.window_height));
    r.topdown.resize(r.readback.size());
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, r.window_width, r.window_height, GL_RGBA, GL_UNSIGNED_BYTE, r.readback.data());
    for (int y = 0; y < r.window_height; ++y)
        memcpy(&r.topdown[row * static_cast<size_t>(y)],
               &r.readback[row * static_cast<size_t>(r.window_height - 1 - y)], row);
}

// One frame as the show draws it at `frame` without pictures or caption. With `split`,
// each pass is finished on its own and its time kept there.
void raw_frame(RawFrame &r, int frame, float fade, double *split)
{
    Clock::time_point mark = Clock::now();
    auto lap = [&](Pass pass) {
        if (!split) return;
        glFinish();
        const Clock::time_point now = Clock::now();
        split[pass] = ms_between(mark, now);
        mark = now;
    };

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, r.scene_fbo);
    pixel_projection(SHOW_SCENE_WIDTH, SHOW_SCENE_HEIGHT);
    glBindTexture(GL_TEXTURE_2D, r.background);
    draw_quad(0, 0, static_cast<float>(r.background_width), static_cast<float>(r.background_height), r.u0,
              r.v0, r.u1, r.v1);
    lap(scene_pass);

    int rect[4];
    camera(frame, rect);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, r.screen_fbo);
    pixel_projection(SHOW_SCREEN_WIDTH, SHOW_SCREEN_HEIGHT);
    glUseProgram(r.program);
    glUniform1f(r.time_at, static_cast<float>(frame * 0.01));
    glUniform1f(r.fade_at, fade);
    glEnable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, r.scene_texture);
    // v runs up: a frame buffer's row 0 is its bottom row.
    draw_quad(static_cast<float>(rect[0]), static_cast<float>(rect[1]), static_cast<float>(rect[2]),
              static_cast<float>(rect[3]), 0, 1, 1, 0);
    glDisable(GL_ALPHA_TEST);
    glUseProgram(0);
    lap(tube_pass);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pixel_projection(r.window_width, r.window_height);
    glBindTexture(GL_TEXTURE_2D, r.screen_texture);
    draw_quad(0, 0, static_cast<float>(r.window_width), static_cast<float>(r.window_height), 0, 1, 1, 0);
    lap(present_pass);

    read_back(r);
    lap(readback_pass);
    eglSwapBuffers(r.display, r.surface);
    lap(swap_pass);
}

// ---- One run of the show, timed from its frame sink ----

float current_fade() { return fade < 0 ? 0 : fade > 1 ? 1 : fade; }

enum Phase { warming_up, plain_phase, jumping, main_section, ending };

// Show frames and the raw frame timed right after each.
struct Pairs {
    std::vector<double> engine;
    std::vector<double> raw;
};

struct ShowRun {
    Phase phase = warming_up;
    Clock::time_point last_exit;
    RawFrame raw{};
    Pairs plain; // show frames without pictures or caption
    Pairs main;  // show frames with a picture and a caption
    std::vector<double> split[pass_count];
    double same_pixels = -1;
    std::string renderer;
    std::string failure;
};

// The share of the show's presented frame that the raw frame draws again, within one
// level in each colour, when run for the same frame with the fade the show gave its
// shader (which flickers by up to a tenth).
double same_picture(ShowRun &run, const unsigned char *shown_rgba, int width, int height, int shown)
{
    float show_fade = current_fade();
    const GLuint tube = FENK_shader[postshader_id].program;
    if (tube) glGetUniformfv(tube, glGetUniformLocation(tube, "fadevalue"), &show_fade);
    raw_frame(run.raw, shown, show_fade, nullptr);
    if (!shown_rgba || width != run.raw.window_width || height != run.raw.window_height) return 0;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t same = 0;
    for (size_t i = 0; i < pixels; i++) {
        const unsigned char *a = shown_rgba + 4 * i;
        const unsigned char *b = run.raw.topdown.data() + 4 * i;
        same += abs(a[0] - b[0]) <= 1 && abs(a[1] - b[1]) <= 1 && abs(a[2] - b[2]) <= 1;
    }
    return static_cast<double>(same) / static_cast<double>(pixels);
}

void time_pair(ShowRun &run, Pairs &pairs, double interval, int shown)
{
    pairs.engine.push_back(interval);
    const Clock::time_point start = Clock::now();
    raw_frame(run.raw, shown, current_fade(), nullptr);
    pairs.raw.push_back(ms_between(start, Clock::now()));
}

void end_show(ShowRun &run)
{
    fenk_headless_key(0x1B, 1); // Escape: the show ends after its next frame
    run.phase = ending;
}

// Called at each presented frame, after the host has read it back and before its swap.
// A frame's time runs from the end of the previous call to the start of this one,
// so what is done here is never counted in the show's frames.
void on_frame(int width, int height, const unsigned char *rgba, uint64_t frame, uint32_t, void *user)
{
    ShowRun &run = *static_cast<ShowRun *>(user);
    const Clock::time_point entry = Clock::now();
    const double interval = ms_between(run.last_exit, entry);

    // The music position read now is the one the frame was drawn with: nothing moves
    // the clock between the frame's read and its presentation.
    const uint64_t pos = Soundsystem_ReadSoundOffset(&demomusic);
    ShowPicture pictures[SHOW_MAXPICTURES];
    const char *lines[2];
    const int drawn = timeline_pictures(pos, pictures);
    const int captions = timeline_captions(pos, lines);
    // The frame just drawn used the camera and time of this number.
    const int shown = cameraframe - 1;

    switch (run.phase) {
    case warming_up:
        if (frame + 1 >= warmup_frames) {
            run.failure = raw_setup(run.raw);
            if (!run.failure.empty()) {
                end_show(run);
                break;
            }
            run.renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
            for (int i = 0; i < raw_warmup_frames; i++) raw_frame(run.raw, shown, current_fade(), nullptr);
            // The only frames without pictures or captions are those of the fade-in,
            // nearly black at first. At full brightness, as the show is from its
            // seventeenth second on, they cost the same (the alpha test keeps the same
            // fragments at any fade above 0), and the picture check sees every pixel.
            fade = 1.0f;
            run.phase = plain_phase;
        }
        break;
    case plain_phase:
        // Once the title is up, every later frame draws a picture: on with what was timed.
        if (!drawn && !captions) time_pair(run, run.plain, interval, shown);
        if (static_cast<int>(run.plain.engine.size()) < plain_pairs && !drawn && !captions) break;
        run.same_pixels = same_picture(run, rgba, width, height, shown);
        for (int i = 0; i < split_frames; i++) {
            double split[pass_count];
            raw_frame(run.raw, shown, current_fade(), split);
            for (int p = 0; p < pass_count; p++) run.split[p].push_back(split[p]);
        }
        // On to the main section: the sound device mixes the time skipped here, and
        // the next frame, which catches up on the pacing, is not taken.
        if (pos < main_section_pos) fenk_headless_advanceclock((main_section_pos - pos) * 1000 / 44100);
        run.phase = jumping;
        break;
    case jumping: run.phase = main_section; break;
    case main_section:
        if (drawn && captions) time_pair(run, run.main, interval, shown);
        if (static_cast<int>(run.main.engine.size()) >= main_pairs || pos > main_section_end) end_show(run);
        break;
    case ending: break;
    }
    run.last_exit = Clock::now();
}

char program_name[] = "show_bench";
char *show_argv[] = {program_name, nullptr};

// ---- Start-up, each in a child of its own ----

struct StartupRun {
    Clock::time_point started;
    double ms = -1;
};

void on_first_frame(int, int, const unsigned char *, uint64_t frame, uint32_t, void *user)
{
    StartupRun &run = *static_cast<StartupRun *>(user);
    if (frame != 0) return;
    run.ms = ms_between(run.started, Clock::now());
    fenk_headless_key(0x1B, 1);
}

// Milliseconds from fenk_headless_run to the first presented frame, or -1.
double startup_in_child()
{
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return -1;
    fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_ends[0]);
        // The show's progress lines are not wanted here.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);
        StartupRun run;
        fenk_headless_setframerate(60);
        fenk_headless_setframesink(on_first_frame, &run);
        run.started = Clock::now();
        fenk_headless_run(1, show_argv);
        const ssize_t written = write(pipe_ends[1], &run.ms, sizeof run.ms);
        _exit(written == sizeof run.ms ? 0 : 1);
    }
    close(pipe_ends[1]);
    double ms = -1;
    if (child < 0 || read(pipe_ends[0], &ms, sizeof ms) != sizeof ms) ms = -1;
    close(pipe_ends[0]);
    if (child > 0) {
        int status = 0;
        waitpid(child, &status, 0);
    }
    return ms;
}

// ---- The benchmarks ----

bool show_ran;
ShowRun show_run;
std::vector<double> startups;
std::vector<double> mix_passes;

void BM_ShowStartup(benchmark::State &state)
{
    if (show_ran) {
        state.SkipWithError("start-ups are timed before the show runs in this process");
        return;
    }
    bool ok = true;
    for (auto _ : state) {
        startups.clear();
        for (int i = 0; i < startup_runs && ok; i++) {
            const double ms = startup_in_child();
            if (ms < 0)
                ok = false;
            else
                startups.push_back(ms);
        }
    }
    if (!ok) {
        state.SkipWithError("the show presented no frame");
        return;
    }
    state.counters["median_ms"] = median(startups);
    state.counters["best_ms"] = best(startups);
}

void BM_ShowFrame(benchmark::State &state)
{
    if (show_ran) {
        state.SkipWithError("the show runs once per process");
        return;
    }
    for (auto _ : state) {
        show_ran = true;
        fenk_headless_setframerate(60);
        fenk_headless_setframesink(on_frame, &show_run);
        // The show's progress lines go to a scratch file, shown only when it fails.
        FILE *lines = tmpfile();
        fflush(stdout);
        const int saved = dup(1);
        if (lines) dup2(fileno(lines), 1);
        const int result = fenk_headless_run(1, show_argv);
        fenk_headless_setframesink(nullptr, nullptr);
        fflush(stdout);
        dup2(saved, 1);
        close(saved);
        if (show_run.failure.empty() && result != 0) show_run.failure = "the show ended with an error";
        if (lines) {
            if (!show_run.failure.empty() || show_run.plain.engine.empty()) {
                rewind(lines);
                char line[512];
                while (fgets(line, sizeof line, lines)) fputs(line, stdout);
            }
            fclose(lines);
        }

        // The show's thread also mixes the sound, one pass per 2048 frames of the
        // device, as the clock moves on after each presented frame. The music is still
        // in the play table after the show, so these passes mix what the show mixed.
        std::vector<unsigned char> buffer(2048 * 4);
        for (int i = 0; i < mix_pass_count && show_run.failure.empty(); i++) {
            const Clock::time_point start = Clock::now();
            audiodriver_mixbuffers(buffer.data(), static_cast<int>(buffer.size()), 0);
            mix_passes.push_back(ms_between(start, Clock::now()));
        }
    }
    if (show_run.failure.empty() && show_run.plain.engine.empty())
        show_run.failure = "the show ended before the frames were timed";
    if (!show_run.failure.empty()) {
        state.SkipWithError(show_run.failure.c_str());
        return;
    }
    const double engine = median(show_run.plain.engine);
    const double raw = median(show_run.plain.raw);
    state.counters["engine_ms"] = engine;
    state.counters["raw_ms"] = raw;
    state.counters["ratio"] = engine / raw;
    if (!show_run.main.engine.empty()) state.counters["pictures_caption_ms"] = median(show_run.main.engine);
}

// The median of the pairs' own ratios: a change of load between pairs cancels out.
double paired_ratio(const Pairs &pairs)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < pairs.engine.size() && i < pairs.raw.size(); i++)
        ratios.push_back(pairs.engine[i] / pairs.raw[i]);
    return median(ratios);
}

void print_pairs(const char *what, const Pairs &pairs)
{
    printf("  %-54s median %7.2f ms, best %7.2f ms\n", what, median(pairs.engine), best(pairs.engine));
    printf("  %-54s median %7.2f ms, best %7.2f ms\n",
           "raw frame timed after each (the same passes in OpenGL)", median(pairs.raw), best(pairs.raw));
    printf("  %zu pairs; the median of their own ratios is %.3f\n", pairs.engine.size(), paired_ratio(pairs));
}

void print_summary()
{
    if (!startups.empty()) {
        printf(
            "\nStart-up, fenk_headless_run to the first presented frame: median %.1f ms, best %.1f ms over %zu runs\n",
            median(startups), best(startups), startups.size());
    }
    const ShowRun &run = show_run;
    if (!show_ran || !run.failure.empty() || run.plain.engine.empty()) return;

    printf("\nOne frame on %s, window %d x %d:\n", run.renderer.c_str(), run.raw.window_width,
           run.raw.window_height);
    print_pairs("engine frame (the show's loop, no picture or caption)", run.plain);
    printf("  the raw frame draws the show's picture again: %.2f %% of pixels within one level\n",
           100 * run.same_pixels);
    printf("  raw frame by pass, each finished on its own (median of %d):\n   ", split_frames);
    for (int p = 0; p < pass_count; p++)
        printf("%s %s %.2f ms", p ? "," : "", pass_names[p], median(run.split[p]));
    printf("\n");
    const double pass = median(mix_passes);
    printf("  sound mixing on the show's thread: %.3f ms a pass, %.3f ms a frame at 60 fps\n", pass,
           pass * (44100.0 / 60) / 2048);
    if (!run.main.engine.empty()) {
        printf("In the main section, for what a picture and a caption add:\n");
        print_pairs("engine frame with a rotation picture and a caption", run.main);
    }

    const double ratio = median(run.plain.engine) / median(run.plain.raw);
    const char *verdict = run.same_pixels < 0.99 ? "no verdict, the raw frame draws another picture"
                          : ratio <= 1.05        ? "met"
                                                 : "NOT met";
    printf("\nengine frame / raw frame = %.2f (target <= 1.05): %s\n", ratio, verdict);
}

} // namespace

// Start-up first: its children must be forked before the show runs in this process.
BENCHMARK(BM_ShowStartup)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The show mounts "data" in the working directory.
    std::string data = DATA_DIR;
    const std::string parent = data.substr(0, data.find_last_of('/'));
    if (chdir(parent.c_str()) != 0) {
        printf("- ERROR: cannot enter %s, where the show's data is built.\n", parent.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    print_summary();
    benchmark::Shutdown();
    return 0;
}
