// makedata: writes the show's data directory (pictures, caption font, music).
// Usage: makedata <output directory> [font directory]
// Every file depends only on this program, so two runs give identical bytes.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <vector>

#include "font.h"
#include "music.h"
#include "scenes.h"
#include "text.h"
#include "tga.h"

#ifndef MAKEDATA_FONT_DIR
#define MAKEDATA_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

using namespace makedata;

namespace {

enum class Kind { rgb16, rgb24, rgb32, grey, mapped };

struct Job {
    const char *name;
    Picture (*scene)(int, int);
    int width, height;
    Kind kind;
    bool rle;
    Origin origin;
};

constexpr int S = picture_size;
constexpr Origin BL = Origin::bottom_left, TL = Origin::top_left;

// Each picture gets one of the kinds the engine reads, so the show loads them all.
const Job pictures[] = {
    {"revizidbg.tga", scene_background, background_width, background_height, Kind::rgb24, false, BL},
    {"revizidtitle.tga", scene_title, S, S, Kind::rgb32, true, TL},
    {"revizidcredits.tga", scene_credits, S, S, Kind::grey, true, BL},
    {"revizidgreetings.tga", scene_greetings, S, S, Kind::mapped, true, TL},
    {"revizidgreetings2.tga", scene_greetings2, S, S, Kind::rgb24, true, TL},
    {"revizid0.tga", scene_tunnel, S, S, Kind::rgb24, true, BL},
    {"revizid2.tga", scene_julia, S, S, Kind::grey, false, TL},
    {"revizid3.tga", scene_planet, S, S, Kind::rgb16, true, TL},
    {"revizid4.tga", scene_aurora, S, S, Kind::rgb32, false, BL},
    {"revizid5.tga", scene_spheres, S, S, Kind::rgb24, false, BL},
    {"revizid6.tga", scene_blobs, S, S, Kind::rgb24, false, TL},
    {"revizid7.tga", scene_ridges, S, S, Kind::rgb24, true, TL},
    {"revizid8.tga", scene_sunset, S, S, Kind::mapped, false, BL},
    {"revizid9.tga", scene_plasma, S, S, Kind::rgb16, false, BL},
    {"revizid10.tga", scene_letters, S, S, Kind::rgb32, false, TL},
    {"revizid11.tga", scene_torus, S, S, Kind::rgb32, true, BL},
    {"revizid12.tga", scene_rosette, S, S, Kind::mapped, true, TL},
    {"revizid13.tga", scene_sponge, S, S, Kind::grey, true, BL},
    {"revizid15.tga", scene_mandelbrot, S, S, Kind::mapped, true, BL},
};

bool write_picture(const std::string &dir, const Job &job)
{
    Picture p = job.scene(job.width, job.height);
    std::string path = dir + "/" + job.name;
    switch (job.kind) {
    case Kind::grey: {
        std::vector<uint8_t> g = to_grey8(p);
        return write_tga_grey(path, p.width, p.height, g.data(), job.rle, job.origin);
    }
    case Kind::mapped: {
        std::vector<uint8_t> index, palette;
        quantize(p, 256, index, palette);
        return write_tga_mapped(path, p.width, p.height, index.data(), palette.data(),
                                int(palette.size() / 3), job.rle, job.origin);
    }
    case Kind::rgb16: {
        std::vector<uint8_t> rgba = to_rgba8(p, 31.0f);
        return write_tga_rgb(path, p.width, p.height, rgba.data(), 16, job.rle, job.origin);
    }
    case Kind::rgb24:
    case Kind::rgb32: {
        // Opaque alpha: the show blends the rotation pictures by it.
        std::vector<uint8_t> rgba = to_rgba8(p);
        return write_tga_rgb(path, p.width, p.height, rgba.data(), job.kind == Kind::rgb32 ? 32 : 24, job.rle,
                             job.origin);
    }
    }
    return false;
}

// Processor time of the calling thread: what a job costs, whatever else the machine runs.
double thread_seconds()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::puts("usage: makedata <output directory> [font directory]");
        return 2;
    }
    const std::string dir = argv[1];
    font_dir = argc > 2 ? argv[2] : MAKEDATA_FONT_DIR;
    mkdir(dir.c_str(), 0777);
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::printf("makedata: cannot make %s\n", dir.c_str());
        return 1;
    }
    auto start = std::chrono::steady_clock::now();

    // The music is the longest job, so it goes first; then the pictures and the font.
    std::vector<std::function<bool()>> jobs;
    std::vector<std::string> names;
    jobs.push_back([&] { return write_wav(dir + "/revizid.wav", render_music(), 2, music_rate); });
    names.push_back("revizid.wav");
    for (const Job &j : pictures) {
        jobs.push_back([&dir, &j] { return write_picture(dir, j); });
        names.push_back(j.name);
    }
    jobs.push_back([&] { return write_font(dir + "/panfont.tga"); });
    names.push_back("panfont.tga");

    // MAKEDATA_ONLY=<file name> makes just that file (for working on one scene).
    if (const char *only = std::getenv("MAKEDATA_ONLY"))
        for (size_t i = 0; i < jobs.size(); ++i)
            if (names[i] != only) jobs[i] = [] { return true; };

    // Workers take jobs in order; each job writes its own file, so the bytes never
    // depend on which thread ran it.
    std::vector<char> ok(jobs.size(), 0);
    std::vector<double> seconds(jobs.size(), 0.0);
    std::atomic<size_t> next{0};
    unsigned n = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < n; ++t)
        workers.emplace_back([&] {
            for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
                double t0 = thread_seconds();
                ok[i] = jobs[i]() ? 1 : 0;
                seconds[i] = thread_seconds() - t0;
            }
        });
    for (std::thread &t : workers) t.join();

    int failed = 0;
    for (size_t i = 0; i < jobs.size(); ++i)
        if (!ok[i]) {
            std::printf("makedata: could not write %s\n", names[i].c_str());
            ++failed;
        }
    if (std::getenv("MAKEDATA_TIMES"))
        for (size_t i = 0; i < jobs.size(); ++i)
            std::printf("  %-24s %6.2f s processor time\n", names[i].c_str(), seconds[i]);
    double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("makedata: %zu files in %s, %.2f s\n", jobs.size() - failed, dir.c_str(), total);
    return failed ? 1 : 0;
}
