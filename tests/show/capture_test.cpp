// show_capture's command line, its frame and sound arithmetic, and the files it writes.
#include <gtest/gtest.h>
#include <unistd.h>
#include <stb_image.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "show/capture.h"
#include "show/capture_output.h"
#include "scratch.h"

namespace fs = std::filesystem;

namespace {

int parse(std::vector<const char *> args, CaptureOptions *options, std::string *message = nullptr)
{
    args.insert(args.begin(), "show_capture");
    char text[256] = "";
    const int result = capture_parse_options(static_cast<int>(args.size()), const_cast<char **>(args.data()),
                                             options, text, sizeof text);
    if (message) *message = text;
    return result;
}

// The arguments a fake ffmpeg got, one per line.
std::vector<std::string> lines_of(const fs::path &path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

} // namespace

TEST(CaptureOptions, DefaultsAndEveryOption)
{
    CaptureOptions o;
    ASSERT_EQ(parse({}, &o), CAPTURE_RUN);
    EXPECT_EQ(o.fps, 60);
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_STREQ(o.out, "show.mp4");
    EXPECT_EQ(o.frames, nullptr);
    EXPECT_LT(o.to, 0);

    ASSERT_EQ(
        parse({"--fps=30", "--mode", "720", "--from", "1.5", "--to=3", "--frames", "f", "--draw-all"}, &o),
        CAPTURE_RUN);
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.width, 1280);
    EXPECT_EQ(o.height, 720);
    EXPECT_DOUBLE_EQ(o.from, 1.5);
    EXPECT_DOUBLE_EQ(o.to, 3);
    EXPECT_STREQ(o.frames, "f");
    EXPECT_EQ(o.drawall, 1);
    EXPECT_EQ(o.rate, 60);
    EXPECT_STREQ(o.preset, "veryfast");
    ASSERT_EQ(parse({"--rate", "30", "--fps", "25", "--preset=medium"}, &o), CAPTURE_RUN);
    EXPECT_EQ(o.rate, 30);
    EXPECT_EQ(o.fps, 25);
    EXPECT_STREQ(o.preset, "medium");
    ASSERT_EQ(parse({"--rate", "66", "--fps", "66", "--to", "25000000"}, &o), CAPTURE_RUN);
    ASSERT_EQ(parse({"--mode", "full"}, &o), CAPTURE_RUN);
    EXPECT_EQ(o.flags, 1);
    EXPECT_EQ(parse({"--to", "1", "--help"}, &o), CAPTURE_HELP);
}

TEST(CaptureOptions, MistakesAreNamed)
{
    CaptureOptions o;
    std::string message;
    const std::vector<std::vector<const char *>> wrong = {
        {"--fps", "67"},
        {"--fps", "2.5"},
        {"--fps", "0"},
        {"--fps", "x"},
        {"--mode", "480"},
        {"--from", "-1"},
        {"--to", "1e999"},
        {"--from", "2", "--to", "2"},
        {"--out", ""},
        {"--fps"},
        {"--speed", "2"},
        {"--rate", "67"},
        {"--rate", "0"},
        {"--fps", "61"},
        {"--rate", "30", "--fps", "31"},
        {"--preset", "quick"},
        {"--preset", ""},
        {"--to", "nan"},
        {"--from", "inf"},
        // Past the longest the show can last: no frame number is ever worked out from them.
        {"--to", "1e300"},
        {"--from", "1e300", "--to", "2e300"},
        {"--to", "4e17"},
        {"--from", "25000000.5"},
        // Spans with no frame in them: refused before the show runs.
        {"--from", "0.5", "--to", "0.50000001"},
        {"--from", "0.501", "--to", "0.51"}};
    for (const auto &args : wrong) {
        EXPECT_EQ(parse(args, &o, &message), CAPTURE_BADOPTION) << args[0];
        EXPECT_NE(message.find(args[0]), std::string::npos) << message;
    }
}

TEST(CaptureTimes, FramesAndSoundFramesOfARange)
{
    CaptureOptions o;
    uint64_t first = 0, end = 0;
    ASSERT_EQ(parse({"--from", "11", "--to", "11.02"}, &o), CAPTURE_RUN);
    capture_frame_range(&o, &first, &end);
    EXPECT_EQ(first, 660u); // exactly at 11 s
    EXPECT_EQ(end, 662u);   // 661 starts at 11.0167 s, before 11.02
    ASSERT_EQ(parse({"--fps", "24", "--from", "0.1"}, &o), CAPTURE_RUN);
    capture_frame_range(&o, &first, &end);
    EXPECT_EQ(first, 3u);
    EXPECT_EQ(end, UINT64_MAX);

    EXPECT_EQ(capture_sound_frame_at(1, 60), 735u);
    EXPECT_EQ(capture_sound_frame_at(60, 60), 44100u);
    EXPECT_EQ(capture_sound_frame_at(7, 24), 12862u); // 12 862.5, the frame's sound starts on its whole frame
    // At the end of the longest show, nothing overflows.
    ASSERT_EQ(parse({"--rate", "66", "--fps", "66", "--from", "24999999", "--to", "25000000"}, &o),
              CAPTURE_RUN);
    capture_frame_range(&o, &first, &end);
    EXPECT_EQ(first, 1649999934u);
    EXPECT_EQ(end, 1650000000u);
    EXPECT_EQ(capture_sound_frame_at(end, 66), 1102500000000u);
}

TEST(CaptureTimes, VideoFramesPickTheShowsFrameOnScreenAtTheirTime)
{
    // Video frame n at n / fps s shows the show's frame s on screen from s / rate on.
    EXPECT_EQ(capture_show_frame_at(7, 60, 60), 7u);
    EXPECT_EQ(capture_show_frame_at(7, 10, 60), 42u);
    EXPECT_EQ(capture_show_frame_at(1, 25, 60), 2u); // 0.04 s: frame 2 runs from 0.0333 s to 0.05 s
    EXPECT_EQ(capture_show_frame_at(5, 25, 60), 12u);
    EXPECT_EQ(capture_show_frame_at(3, 7, 30), 12u); // 0.4286 s
    // The show runs until its clock has passed the end of the last video frame, so
    // that the sound device has played all of that frame's sound.
    EXPECT_EQ(capture_last_show_frame(15, 60, 60), 14u);
    EXPECT_EQ(capture_last_show_frame(357, 25, 60), 856u); // 14.28 s is 856.8 frames
    EXPECT_EQ(capture_last_show_frame(143, 10, 60), 857u);
    EXPECT_EQ(capture_last_show_frame(1, 1, 66), 65u);
}

TEST(CapturePlan, EachFrameIsWrittenDrawnUnseenOrRunUndrawn)
{
    // 25 fps of a show at 60 from 1 s to 1.2 s: video frames 25 to 29 show show frames
    // 60, 62, 64, 67, 69, presented as frames 59, 61, 63, 66, 68.
    CaptureOptions o;
    ASSERT_EQ(parse({"--fps", "25", "--from", "1", "--to", "1.2"}, &o), CAPTURE_RUN);
    CapturePlan plan;
    capture_make_plan(&o, &plan);
    std::vector<uint64_t> written;
    std::string kinds;
    for (uint64_t f = 57; f < 71; f++) {
        const int kind = capture_frame_kind(&plan, f);
        kinds += "wud"[kind];
        if (kind == CAPTURE_FRAME_WRITTEN) written.push_back(f);
        // The next frame written is the one the kind is about.
        const uint64_t next = capture_next_written(&plan, f);
        if (kind != CAPTURE_FRAME_UNDRAWN) {
            EXPECT_EQ(kind == CAPTURE_FRAME_WRITTEN, next == f) << f;
        }
    }
    EXPECT_EQ(written, (std::vector<uint64_t>{59, 61, 63, 66, 68}));
    // Undrawn before the first written frame and after the last; unseen between.
    EXPECT_EQ(kinds, "ddwuwuwuuwuwdd");
    EXPECT_EQ(capture_next_written(&plan, 69), UINT64_MAX);

    // With --draw-all the frames before are drawn unseen, whole; from the start, frame 0
    // (the black screen) is no frame of the show and nothing is undrawn before frame 1's.
    ASSERT_EQ(parse({"--fps", "25", "--from", "1", "--to", "1.2", "--draw-all"}, &o), CAPTURE_RUN);
    capture_make_plan(&o, &plan);
    EXPECT_EQ(capture_frame_kind(&plan, 0), CAPTURE_FRAME_UNSEEN);
    EXPECT_TRUE(plan.whole);
    ASSERT_EQ(parse({"--fps", "10", "--to", "1"}, &o), CAPTURE_RUN);
    capture_make_plan(&o, &plan);
    EXPECT_EQ(capture_next_written(&plan, 0), 5u); // video frame 1 shows show frame 6
    EXPECT_EQ(capture_frame_kind(&plan, 0), CAPTURE_FRAME_UNSEEN);
    EXPECT_EQ(capture_frame_kind(&plan, 53), CAPTURE_FRAME_WRITTEN); // video frame 9
    EXPECT_EQ(capture_frame_kind(&plan, 54), CAPTURE_FRAME_UNDRAWN);
}

TEST(CaptureFiles, PngReadsBackAsWrittenAndNothingHalfWrittenStays)
{
    const ScratchFolder scratch(current_test_tag());
    const fs::path &dir = scratch.path();
    const unsigned char rgba[] = {255, 0, 0, 255, 0,   255, 0,  0,   10, 20, 30,  255,
                                  1,   2, 3, 4,   200, 100, 50, 255, 0,  0,  255, 255};
    const std::string path = (dir / "a.png").string();
    ASSERT_TRUE(capture_write_png(path.c_str(), 3, 2, rgba));
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
    EXPECT_FALSE(capture_write_png(nowhere.c_str(), 3, 2, rgba));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
}

TEST(CaptureFiles, WavHasTheCanonicalHeaderAndTheSamples)
{
    const ScratchFolder scratch(current_test_tag());
    const fs::path &dir = scratch.path();
    const int16_t samples[] = {0, 1, -1, 32767, -32768, 5};
    const std::string path = (dir / "s.wav").string();
    ASSERT_TRUE(capture_write_wav(path.c_str(), samples, 3, 2, 44100));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44u + sizeof samples);
    EXPECT_EQ(bytes.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(bytes.compare(8, 8, "WAVEfmt "), 0);
    EXPECT_EQ(bytes.compare(36, 4, "data"), 0);
    EXPECT_EQ(memcmp(bytes.data() + 44, samples, sizeof samples), 0);
}

TEST(CaptureFiles, FfmpegGetsEveryFileNameAsAPlainFile)
{
    // Names ffmpeg would read as an option, a protocol or its own file: prefix.
    const ScratchFolder scratch(current_test_tag());
    const fs::path &dir = scratch.path();
    const fs::path log = dir / "args.txt";
    const fs::path fake = dir / "ffmpeg";
    std::ofstream(fake) << "#!/bin/sh\nfor a; do printf '%s\\n' \"$a\"; last=$a; done >>'" << log.string()
                        << "'\ncat >/dev/null\n: >\"${last#file:}\"\n";
    fs::permissions(fake, fs::perms::owner_all);
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    VideoEncoder encoder;
    ASSERT_TRUE(capture_start_video(&encoder, fake.c_str(), "-x.mp4.video.part", 2, 2, 10, "ultrafast"));
    const unsigned char rgba[16] = {};
    EXPECT_TRUE(capture_video_frame(&encoder, rgba));
    EXPECT_TRUE(capture_finish_video(&encoder));
    EXPECT_TRUE(capture_mux(fake.c_str(), "take:1.mp4.video.part", (dir / "-s.wav").c_str(), "file:y.mp4"));
    fs::current_path(before);

    const std::vector<std::string> args = lines_of(log);
    // Each run's inputs follow -i, its output is its last argument.
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); i++)
        if ((i > 0 && args[i - 1] == "-i") || i + 1 == args.size() || args[i + 1] == "-hide_banner")
            files.push_back(args[i]);
    const std::vector<std::string> expected = {"-", "file:./-x.mp4.video.part",
                                               "file:./take:1.mp4.video.part",
                                               "file:" + (dir / "-s.wav").string(), "file:./file:y.mp4.part"};
    EXPECT_EQ(files, expected);
    EXPECT_NE(std::find(args.begin(), args.end(), "ultrafast"), args.end());
    // The muxed file has its name as asked for, and its part is gone.
    EXPECT_TRUE(fs::exists(dir / "file:y.mp4"));
    EXPECT_FALSE(fs::exists(dir / "file:y.mp4.part"));
    EXPECT_FALSE(fs::exists(dir / "y.mp4.part"));
}
