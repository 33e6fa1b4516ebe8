// The first example without a screen: every presented frame is written as a PPM
// picture, and after the asked number of frames the program presses Escape itself.
//
//   first_headless [folder [frames]]      (defaults: first_frames, 60)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/driver_headless.h"

namespace {

struct Output {
    std::string folder;
    uint64_t frames;
    bool failed;
};

void write_frame(int width, int height, const unsigned char *rgba, uint64_t frame, uint32_t, void *user)
{
    auto *out = static_cast<Output *>(user);
    char name[32];
    snprintf(name, sizeof(name), "first_%04llu.ppm", static_cast<unsigned long long>(frame));
    const std::string path = out->folder + "/" + name;
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) {
        printf("- ERROR: Cannot write %s\n", path.c_str());
        out->failed = true;
        fenk_headless_key(0x1B, 1);
        return;
    }
    fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (int i = 0; i < width * height; ++i) fwrite(rgba + i * 4, 1, 3, file);
    fclose(file);
    if (frame + 1 >= out->frames) fenk_headless_key(0x1B, 1);
}

} // namespace

int main(int argc, char **argv)
{
    Output out{argc > 1 ? argv[1] : "first_frames", argc > 2 ? strtoull(argv[2], nullptr, 10) : 60, false};
    if (out.frames < 1) out.frames = 1;
    std::error_code error;
    std::filesystem::create_directories(out.folder, error);

    // Frame n is shown at n * 1000 / 60 ms of the virtual clock.
    fenk_headless_setframerate(60);
    fenk_headless_setframesink(write_frame, &out);
    const int result = fenk_headless_run(argc, argv);
    printf("%llu frames written to %s\n", static_cast<unsigned long long>(fenk_headless_framecount()),
           out.folder.c_str());
    return out.failed ? 1 : result;
}
