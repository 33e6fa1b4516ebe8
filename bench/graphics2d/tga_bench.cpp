// TGA decoding from memory, this reader beside stb_image on the same bytes, both
// giving 32-bit pixels: the show's background size raw and run-length coded,
// and a sprite-sized 32-bit picture with transparent surroundings.
#include <benchmark/benchmark.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#include <stb_image.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "../../tests/graphics2d/tga_writer.h"
#include "graphics2d/corebitmap.h"

namespace {

uint32_t noise(uint32_t &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// A third flat areas, a third slow gradients, a third noise: runs of every
// length and long raw stretches, as a drawn picture has.
std::vector<uint32_t> scene(int width, int height)
{
    std::vector<uint32_t> out;
    out.reserve((size_t)width * height);
    uint32_t state = 7;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            int cell = (x / 96 + y / 80) % 3;
            if (cell == 0)
                out.push_back(((uint32_t)(x / 96) * 0x2F1B07u + (uint32_t)(y / 80) * 0x0B3D59u) & 0xFFFFFF);
            else if (cell == 1)
                out.push_back((uint32_t)(x * 255 / width) << 16 | (uint32_t)(y * 255 / height) << 8 | 0x80);
            else
                out.push_back(noise(state) & 0xFFFFFF);
        }
    }
    return out;
}

// A disc of shaded, textured colour on transparent black.
std::vector<uint32_t> sprite(int size)
{
    std::vector<uint32_t> out;
    uint32_t state = 11;
    double centre = size / 2.0, radius = size * 0.4;
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            double d = std::hypot(x - centre, y - centre);
            if (d > radius) {
                out.push_back(0);
            } else if ((x / 16 + y / 16) % 2) {
                uint32_t shade = (uint32_t)(255 * (1 - d / radius));
                out.push_back(0xFF000000u | shade << 16 | (shade / 2) << 8 | 0x40);
            } else {
                out.push_back(0xFF000000u | (noise(state) & 0xFFFFFF));
            }
        }
    }
    return out;
}

std::string picture(int type, int depth, int width, int height, std::vector<uint32_t> pixels)
{
    Tga t;
    t.type = type;
    t.depth = depth;
    t.width = width;
    t.height = height;
    t.descriptor = depth == 32 ? 0x28 : 0x20;
    t.pixels = std::move(pixels);
    return tga_bytes(t);
}

// The reader prints its progress lines; they go nowhere while it is timed.
struct Quiet {
    int saved;
    Quiet()
    {
        fflush(stdout);
        saved = dup(1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~Quiet()
    {
        fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
};

void fenk(benchmark::State &state, const std::string *bytes)
{
    Quiet quiet;
    for (auto _ : state) {
        s_bitmap bitmap = {};
        fenk_numbitmaps = 0;
        DecodeImageTGA("bench.tga", (const unsigned char *)bytes->data(), (int)bytes->size(), &bitmap);
        if (!bitmap.pixels) {
            state.SkipWithError("not decoded");
            break;
        }
        benchmark::DoNotOptimize(bitmap.pixels[0]);
        free(bitmap.pixels);
    }
    fenk_numbitmaps = 0;
}

void stb(benchmark::State &state, const std::string *bytes)
{
    for (auto _ : state) {
        int w, h, channels;
        unsigned char *rgba = stbi_load_from_memory((const unsigned char *)bytes->data(), (int)bytes->size(),
                                                    &w, &h, &channels, 4);
        if (!rgba) {
            state.SkipWithError("not decoded");
            break;
        }
        benchmark::DoNotOptimize(rgba[0]);
        stbi_image_free(rgba);
    }
}

// Keeps each benchmark's processor time for the verdict, steadier than wall time
// on a shared machine: the median when it was repeated, else its one run.
class Collect : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> single, median;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Iteration)
                single[run.run_name.str()] = run.GetAdjustedCPUTime();
            else if (run.aggregate_name == "median")
                median[run.run_name.str()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string &name) const
    {
        auto m = median.find(name);
        if (m != median.end()) return m->second;
        auto s = single.find(name);
        return s != single.end() ? s->second : -1;
    }
};

} // namespace

int main(int argc, char **argv)
{
    const struct {
        std::string name;
        std::string bytes;
    } pictures[] = {
        {"24-bit raw 2844x1600", picture(2, 24, 2844, 1600, scene(2844, 1600))},
        {"24-bit RLE 2844x1600", picture(10, 24, 2844, 1600, scene(2844, 1600))},
        {"32-bit RLE 768x768", picture(10, 32, 768, 768, sprite(768))},
    };
    for (const auto &p : pictures) {
        benchmark::RegisterBenchmark(("fenk/" + p.name).c_str(), fenk, &p.bytes)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("stb_image/" + p.name).c_str(), stb, &p.bytes)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    Collect reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    printf("\nTarget: this reader at least twice as fast as stb_image on each picture.\n");
    int met = 1, compared = 0;
    for (const auto &p : pictures) {
        double ours = reporter.time("fenk/" + p.name), theirs = reporter.time("stb_image/" + p.name);
        if (ours < 0 || theirs < 0) continue;
        int ok = 2 * ours <= theirs;
        met &= ok;
        compared++;
        printf("  %-22s %8.3f ms against %8.3f ms of processor time, %5.2f times as fast: %s\n",
               p.name.c_str(), ours, theirs, theirs / ours, ok ? "met" : "NOT met");
    }
    if (!compared)
        printf("Nothing compared: run both readers on at least one picture.\n");
    else
        printf("Target %s on the %d pictures compared.\n", met ? "met" : "NOT met", compared);
    benchmark::Shutdown();
    return 0;
}
