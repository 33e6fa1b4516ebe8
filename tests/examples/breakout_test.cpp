// The breakout example on the headless host, played by a script that looks at each
// frame as a player would: it starts the game from the menu, serves, moves the paddle
// (under the ball to score, away from it to lose), waits for the game-over screen and
// presses Escape. Each test runs in a scratch folder of its own, the working directory
// where the game keeps its "breakout" folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hosts/driver_headless.h"
#include "scratch.h"
#include "hosts/audiodriver_headless.h"
#include "stdout_capture.h"

namespace {

constexpr int width = 640;
constexpr unsigned ball = 0xFFD040, paddle = 0xE0E0E0;
constexpr int paddle_row = 336; // a row through the paddle
constexpr int enter = 0x0D, left = 0x25, escape = 0x1B;

struct Script {
    uint64_t follow_until = 0; // frames before this keep the paddle under the ball
    uint64_t limit = 3000;
    // Frames at which P is pressed, F2 pressed, the window closed (0: none).
    uint64_t pause_at = 0, screenshot_at = 0, close_at = 0;
    uint64_t left_until = 40;   // Left is held from frame 30 until this frame
    std::vector<uint64_t> sums; // per frame, a sum over its pixels
    // What was seen.
    std::vector<int> paddle_left; // per frame, -1 when no paddle is shown
    int bricks_first = -1, bricks_last = -1;
    uint64_t game_over_at = 0;
    std::string recording;
};

unsigned pixel(const unsigned char *rgba, int x, int y)
{
    const unsigned char *p = rgba + (static_cast<size_t>(y) * width + x) * 4;
    return p[0] << 16 | p[1] << 8 | p[2];
}

// The x of the first pixel of `colour` in rows from .. to - 1 (every `step`th), or -1.
int find(const unsigned char *rgba, unsigned colour, int from, int to, int step = 1)
{
    for (int y = from; y < to; y += step)
        for (int x = 0; x < width; ++x)
            if (pixel(rgba, x, y) == colour) return x;
    return -1;
}

// Bricks standing, by the colour at each brick's middle (10 x 5, 60 x 20 apart).
int count_bricks(const unsigned char *rgba)
{
    int count = 0;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c) count += pixel(rgba, 20 + c * 60 + 28, 40 + r * 20 + 8) != 0x102030;
    return count;
}

void press(int vk, uint64_t frame, uint64_t at) // down for one frame
{
    if (frame == at) fenk_headless_key(vk, 1);
    if (frame == at + 1) fenk_headless_key(vk, 0);
}

void play(int, int height, const unsigned char *rgba, uint64_t, uint32_t, void *user)
{
    auto *s = static_cast<Script *>(user);
    // Counted here: the host's frame numbers go on from one run to the next.
    const uint64_t frame = s->paddle_left.size();
    if (frame == 0 && !s->recording.empty()) audiodriver_headless_record(s->recording.c_str());
    const int paddle_x = rgba ? find(rgba, paddle, paddle_row, paddle_row + 1) : -1;
    s->paddle_left.push_back(paddle_x);
    uint64_t sum = 0;
    for (int i = 0; rgba && i < width * height * 4; ++i) sum = sum * 31 + rgba[i];
    s->sums.push_back(sum);
    if (s->pause_at) press('P', frame, s->pause_at);
    if (s->screenshot_at) press(0x71, frame, s->screenshot_at); // F2
    if (s->close_at && frame == s->close_at) fenk_headless_close();
    if (frame + 1 >= s->limit || (s->game_over_at && frame == s->game_over_at + 5)) {
        fenk_headless_key(escape, 1);
        return;
    }
    press(enter, frame, 10); // the menu's start
    if (paddle_x < 0) {
        if (s->bricks_first >= 0 && !s->game_over_at) s->game_over_at = frame;
        return;
    }
    s->bricks_last = count_bricks(rgba);
    if (s->bricks_first < 0) s->bricks_first = s->bricks_last;
    // Space serves, Left moves the paddle 10 frames; then the mouse takes over.
    press(' ', frame, 20);
    if (frame == 30) fenk_headless_key(left, 1);
    if (frame == s->left_until) fenk_headless_key(left, 0);
    if (frame < 60) return;
    // A click every 20 frames serves a ball resting on the paddle.
    if (frame % 20 == 0) fenk_headless_mousebutton(0x1, 1);
    if (frame % 20 == 1) fenk_headless_mousebutton(0x1, 0);
    const int ball_x = find(rgba, ball, 36, height, 2); // below the score; the ball is 10 tall
    if (ball_x < 0) return;
    if (frame < s->follow_until)
        fenk_headless_mousemove(ball_x + 12, 200); // off centre, so it flies at an angle
    else
        fenk_headless_mousemove(ball_x < width / 2 ? 600 : 40, 200);
}

class BreakoutExample : public ScratchTest {
protected:
    // One run of the program with the script; what it printed.
    std::string run(Script &script, int fps = 60)
    {
        for (int vk : {enter, left, escape, int(' ')}) fenk_headless_key(vk, 0);
        fenk_headless_mousebutton(0x1, 0);
        fenk_headless_mousemove(320, 200);
        fenk_headless_setframerate(fps);
        fenk_headless_setframesink(play, &script);
        char name[] = "breakout";
        char *argv[] = {name, nullptr};
        int result = -1;
        const std::string lines = printed([&] { result = fenk_headless_run(1, argv); });
        fenk_headless_setframesink(nullptr, nullptr);
        audiodriver_headless_stoprecord();
        EXPECT_EQ(result, 0) << lines;
        return lines;
    }

    static std::string read(const std::filesystem::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static int number_after(const std::string &text, const std::string &label)
    {
        const size_t at = text.find(label);
        return at == std::string::npos ? -1 : atoi(text.c_str() + at + label.size());
    }

    std::filesystem::path score_file() const { return root_ / "breakout" / "highscore.txt"; }
};

} // namespace

TEST_F(BreakoutExample, PlaysToGameOverAndTheNextRunReadsTheHighScore)
{
    Script first;
    first.follow_until = 450;
    first.recording = (root_ / "sound.wav").string();
    const std::string lines = run(first);
    ASSERT_GT(first.game_over_at, 450u) << lines;
    // Enter left the menu, Left moved the paddle 6 pixels a frame from the middle.
    EXPECT_EQ(first.paddle_left[5], -1);
    EXPECT_EQ(first.paddle_left[25], 280);
    EXPECT_EQ(first.paddle_left[45], 280 - 60);
    EXPECT_NE(lines.find("ball lost, lives left: 0"), std::string::npos) << lines;
    // Bricks went from the wall as the score rose.
    EXPECT_EQ(first.bricks_first, 50);
    EXPECT_LT(first.bricks_last, 45);
    const int score = number_after(lines, "game over: score ");
    EXPECT_GE(score, 10 * (50 - first.bricks_last));
    EXPECT_EQ(read(score_file()), std::to_string(score) + "\n");
    // The game's own sounds were written as WAV files and played: music from the start.
    for (const char *name : {"bounce.wav", "brick.wav", "lose.wav", "music.wav"})
        EXPECT_EQ(read(root_ / "breakout" / name).substr(0, 4), "RIFF") << name;
    const std::string sound = read(first.recording); // 16-bit samples from its byte 44
    int loudest = 0;
    for (size_t i = 44 + 4 * 2048 * 4; i + 1 < sound.size(); i += 2) // past the silent start
        loudest = std::max(loudest, std::abs(int(int16_t(uint8_t(sound[i]) | sound[i + 1] << 8))));
    EXPECT_GT(loudest, 1000) << sound.size() << " bytes recorded";

    // The second run loads what the first wrote and shows the score it saved; losing
    // at once, it scores less, which leaves the file as it was.
    Script second;
    const std::string again = run(second);
    EXPECT_EQ(again.find("wrote "), std::string::npos) << again;
    EXPECT_EQ(number_after(again, "\nhigh score "), score) << again;
    ASSERT_LT(number_after(again, "game over: score "), score) << again;
    EXPECT_EQ(again.find("saved"), std::string::npos) << again;
    EXPECT_EQ(read(score_file()), std::to_string(score) + "\n");
}

// A file that holds no number counts as no score, and the game's score replaces it.
TEST_F(BreakoutExample, AFileWithoutAScoreCountsAsNone)
{
    std::filesystem::create_directories(root_ / "breakout");
    std::ofstream(score_file()) << "garbage";
    Script garbage;
    const std::string lines = run(garbage);
    EXPECT_NE(lines.find("holds no score"), std::string::npos) << lines;
    EXPECT_EQ(number_after(lines, "\nhigh score "), 0) << lines;
    const int score = number_after(lines, "game over: score ");
    EXPECT_GT(score, 0) << lines;
    EXPECT_EQ(read(score_file()), std::to_string(score) + "\n");
}

// P pauses a game: the frames stand still. F2 saves the canvas as a PNG file. Closing the
// window ends the program, which keeps the score it has, the high score now.
TEST_F(BreakoutExample, PausesTakesAScreenshotAndKeepsTheScoreWhenTheWindowCloses)
{
    Script script;
    script.follow_until = 1000;
    script.pause_at = 200;
    script.screenshot_at = 210;
    script.close_at = 230;
    const std::string lines = run(script);
    ASSERT_GE(script.sums.size(), 230u) << lines;
    EXPECT_EQ(script.sums[205], script.sums[225]);
    EXPECT_NE(script.sums[150], script.sums[151]);
    EXPECT_NE(lines.find("window closed\n"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("game over"), std::string::npos) << lines;
    const size_t saved = lines.find("high score ", lines.find("window closed"));
    ASSERT_NE(saved, std::string::npos) << lines;
    const int kept = atoi(lines.c_str() + saved + 11);
    EXPECT_GT(kept, 0) << lines;
    EXPECT_EQ(read(score_file()), std::to_string(kept) + "\n");
    EXPECT_EQ(read(root_ / "breakout" / "screenshot-1.png").substr(1, 3), "PNG");
}

TEST_F(BreakoutExample, AtTenFramesASecondTheGameKeepsItsPace)
{
    // The game moves 60 steps a second of the clock: at 10 frames a second each frame
    // runs six, so Left held over three frames moves the paddle 18 steps of 6 pixels.
    Script script;
    script.limit = 40;
    script.left_until = 33;
    run(script, 10);
    ASSERT_GE(script.paddle_left.size(), 37u);
    EXPECT_EQ(script.paddle_left[30] - script.paddle_left[36], 18 * 6);
}
