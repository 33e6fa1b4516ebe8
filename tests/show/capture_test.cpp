// show_capture's command line, its frame and sound arithmetic, and the files it writes.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "show/capture.h"
#include "show/capture_output.h"

namespace fs = std::filesystem;

namespace {

int parse(std::vector<const char *> args, s_captureoptions *options, std::string *message = nullptr) {
    args.insert(args.begin(), "show_capture");
    char text[256] = "";
    const int result = Capture_ParseOptions(static_cast<int>(args.size()), const_cast<char **>(args.data()),
                                            options, text, sizeof text);
    if (message) *message = text;
    return result;
}

fs::path scratch() {
    const fs::path dir = fs::temp_directory_path() /
                         ("fenk_capture_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(CaptureOptions, DefaultsAndEveryOption) {
    s_captureoptions o;
    ASSERT_EQ(parse({}, &o), CAPTURE_RUN);
    EXPECT_EQ(o.fps, 60);
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_STREQ(o.out, "show.mp4");
    EXPECT_EQ(o.frames, nullptr);
    EXPECT_LT(o.to, 0);

    ASSERT_EQ(parse({"--fps=30", "--mode", "720", "--from", "1.5", "--to=3", "--frames", "f", "--draw-all"}, &o),
              CAPTURE_RUN);
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.width, 1280);
    EXPECT_EQ(o.height, 720);
    EXPECT_DOUBLE_EQ(o.from, 1.5);
    EXPECT_DOUBLE_EQ(o.to, 3);
    EXPECT_STREQ(o.frames, "f");
    EXPECT_EQ(o.drawall, 1);
    ASSERT_EQ(parse({"--mode", "full"}, &o), CAPTURE_RUN);
    EXPECT_EQ(o.flags, 1);
    EXPECT_EQ(parse({"--to", "1", "--help"}, &o), CAPTURE_HELP);
}

TEST(CaptureOptions, MistakesAreNamed) {
    s_captureoptions o;
    std::string message;
    const std::vector<std::vector<const char *>> wrong = {
        {"--fps", "67"}, {"--fps", "2.5"}, {"--fps", "0"}, {"--fps", "x"}, {"--mode", "480"},
        {"--from", "-1"}, {"--to", "1e999"}, {"--from", "2", "--to", "2"}, {"--out", ""}, {"--fps"}, {"--speed", "2"}};
    for (const auto &args : wrong) {
        EXPECT_EQ(parse(args, &o, &message), CAPTURE_BADOPTION) << args[0];
        EXPECT_NE(message.find(args[0]), std::string::npos) << message;
    }
}

TEST(CaptureTimes, FramesAndSoundFramesOfARange) {
    s_captureoptions o;
    uint64_t first = 0, end = 0;
    ASSERT_EQ(parse({"--from", "11", "--to", "11.02"}, &o), CAPTURE_RUN);
    Capture_FrameRange(&o, &first, &end);
    EXPECT_EQ(first, 660u);  // exactly at 11 s
    EXPECT_EQ(end, 662u);    // 661 starts at 11.0167 s, before 11.02
    ASSERT_EQ(parse({"--fps", "24", "--from", "0.1"}, &o), CAPTURE_RUN);
    Capture_FrameRange(&o, &first, &end);
    EXPECT_EQ(first, 3u);
    EXPECT_EQ(end, UINT64_MAX);

    EXPECT_EQ(Capture_SoundFrameAt(1, 60), 735u);
    EXPECT_EQ(Capture_SoundFrameAt(60, 60), 44100u);
    EXPECT_EQ(Capture_SoundFrameAt(7, 24), 12862u);  // 12 862.5, the frame's sound starts on its whole frame
}

TEST(CaptureFiles, PngReadsBackAsWrittenAndNothingHalfWrittenStays) {
    const fs::path dir = scratch();
    const unsigned char rgba[] = {255, 0, 0, 255, 0, 255, 0, 0, 10, 20, 30, 255,
                                  1, 2, 3, 4, 200, 100, 50, 255, 0, 0, 255, 255};
    const std::string path = (dir / "a.png").string();
    ASSERT_TRUE(Capture_WritePNG(path.c_str(), 3, 2, rgba));
    EXPECT_FALSE(fs::exists(path + ".part"));
    int w = 0, h = 0, n = 0;
    unsigned char *rgb = stbi_load(path.c_str(), &w, &h, &n, 3);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(n, 3);
    for (int i = 0; i < 6; i++)
        for (int c = 0; c < 3; c++) EXPECT_EQ(rgb[i * 3 + c], rgba[i * 4 + c]) << i;
    stbi_image_free(rgb);

    const std::string nowhere = (dir / "missing" / "b.png").string();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Capture_WritePNG(nowhere.c_str(), 3, 2, rgba));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
    fs::remove_all(dir);
}

TEST(CaptureFiles, WavHasTheCanonicalHeaderAndTheSamples) {
    const fs::path dir = scratch();
    const int16_t samples[] = {0, 1, -1, 32767, -32768, 5};
    const std::string path = (dir / "s.wav").string();
    ASSERT_TRUE(Capture_WriteWAV(path.c_str(), samples, 3, 2, 44100));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44u + sizeof samples);
    EXPECT_EQ(bytes.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(bytes.compare(8, 8, "WAVEfmt "), 0);
    EXPECT_EQ(bytes.compare(36, 4, "data"), 0);
    EXPECT_EQ(memcmp(bytes.data() + 44, samples, sizeof samples), 0);
    fs::remove_all(dir);
}
