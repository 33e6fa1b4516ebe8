// Breakout, a small complete game: a menu, play with a paddle, a ball and a wall of
// bricks, a score and three lives, and a game-over screen with the high score, which
// is kept in a file and shown again on the next run. Sound effects and looping music.
//
// Controls: arrow keys or A / D, the mouse, or a joystick move the paddle; Enter,
// Space, a mouse click or the controller's first button (A) start the game and serve
// the ball. P pauses, F2 saves a screenshot in the "breakout" folder. Escape ends the
// program; so does closing the window, which the game catches to keep a high score
// that a game still running has beaten.
//
// Everything the game loads lives in the folder "breakout" in the working directory,
// mounted through the file layer: the font picture, the WAV files and highscore.txt.
// The first run writes the font and the sounds there from code, and later runs load
// what is there, so any of them can be replaced by a file of one's own (same name and
// format). There are no threads and no waits but the frame loop's own.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "files/core.h"
#include "graphics2d/corefont.h"
#include "input/coreinput.h"
#include "platform/host.h"
#include "sound/coresound.h"
#include "sound/loadwav.h"
#include "video/fenk.h"

namespace {

// The canvas, shown 1:1 in a window of its size; the mouse is read in canvas pixels,
// which stay right whatever size the window takes.
constexpr int screen_width = 640;
constexpr int screen_height = 360;

constexpr const char *folder = "breakout";
constexpr const char *score_file = "highscore.txt";

// The wall: columns x rows of bricks below the score line.
constexpr int columns = 10, rows = 5;
constexpr int brick_width = 56, brick_height = 16, brick_gap = 4;
constexpr int wall_left = 20, wall_top = 40;
constexpr int paddle_width = 80, paddle_height = 12, paddle_y = 330, paddle_speed = 6;
constexpr int ball_size = 10;
constexpr float ball_speed = 5; // canvas pixels a step
constexpr int start_lives = 3;

// Sprite colours, 0xAARRGGBB; one per brick row, top first.
constexpr uint32_t row_colours[rows] = {0xFFFF4040, 0xFFFFA030, 0xFFF0E040, 0xFF40D060, 0xFF4080FF};
constexpr uint32_t paddle_colour = 0xFFE0E0E0;
constexpr uint32_t ball_colour = 0xFFFFD040;
constexpr uint32_t background = 0xFF302010; // 0xAABBGGRR, as ClearFrameBuffer takes it
constexpr int flash_steps = 30;             // the lives flash red this long after a loss
constexpr int screenshot_key = FENK_KEY_F1 + 1;

// ---- Assets made in code -------------------------------------------------------

// The font: a 3 x 5 pixel alphabet, five rows of three bits, the left column highest.
constexpr int font_scale = 3;
struct Shape {
    char c;
    unsigned bits;
};
constexpr Shape alphabet[] = {
    {'0', 075557}, {'1', 026227}, {'2', 071747}, {'3', 071717}, {'4', 055711}, {'5', 074717}, {'6', 074757},
    {'7', 071111}, {'8', 075757}, {'9', 075717}, {'A', 025755}, {'B', 065656}, {'C', 034443}, {'D', 065556},
    {'E', 074647}, {'F', 074644}, {'G', 034553}, {'H', 055755}, {'I', 072227}, {'J', 011152}, {'K', 055655},
    {'L', 044447}, {'M', 057755}, {'N', 065555}, {'O', 025552}, {'P', 065644}, {'Q', 025563}, {'R', 065655},
    {'S', 034216}, {'T', 072222}, {'U', 055557}, {'V', 055552}, {'W', 055775}, {'X', 055255}, {'Y', 055222},
    {'Z', 071247}, {'!', 044404}, {'.', 000004}, {',', 000044}, {'-', 000700}, {':', 004040},
};

unsigned shape_of(char c)
{
    for (const Shape &s : alphabet)
        if (s.c == c) return s.bits;
    return 0;
}

// A font picture as a 32-bit TGA, top row first: row 0 marks where each glyph from
// '!' on begins (the space starts at column 1 unmarked), the glyphs stand below.
std::vector<uint8_t> font_tga()
{
    const int height = 1 + 5 * font_scale;
    const int width = 1 + ('Z' - ' ' + 1) * 4 * font_scale; // a glyph: three columns and a gap
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    for (char c = ' '; c <= 'Z'; ++c) {
        const int left = 1 + (c - ' ') * 4 * font_scale;
        if (c != ' ') pixels[left] = 0xFFFFFF00;
        for (int y = 0; y < 5 * font_scale; ++y)
            for (int x = 0; x < 3 * font_scale; ++x)
                if (shape_of(c) >> ((4 - y / font_scale) * 3 + (2 - x / font_scale)) & 1)
                    pixels[static_cast<size_t>(1 + y) * width + left + x] = 0xFFFFFFFF;
    }
    std::vector<uint8_t> tga(18, 0); // the header: uncompressed true colour
    tga[2] = 2;
    tga[12] = uint8_t(width), tga[13] = uint8_t(width >> 8);
    tga[14] = uint8_t(height), tga[15] = uint8_t(height >> 8);
    tga[16] = 32, tga[17] = 0x28; // 8 alpha bits, top-left origin
    for (uint32_t p : pixels)
        tga.insert(tga.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24)});
    return tga;
}

// Sounds as 16-bit mono WAV files at 22 050 Hz, a sample at a time from `wave`
// (given the time in seconds, it returns -1 to 1).
constexpr int rate = 22050;
constexpr double two_pi = 6.283185307179586;

template <typename Wave> std::vector<uint8_t> wav(double seconds, Wave wave)
{
    const int frames = static_cast<int>(seconds * rate);
    std::vector<uint8_t> file(SOUNDSYSTEM_WAVHEADER + 2 * frames);
    Soundsystem_WAVHeader(file.data(), 2 * frames, 1, rate, 16);
    for (int i = 0; i < frames; ++i) {
        const auto sample = static_cast<int16_t>(12000 * wave(double(i) / rate));
        file[SOUNDSYSTEM_WAVHEADER + 2 * i] = uint8_t(sample);
        file[SOUNDSYSTEM_WAVHEADER + 2 * i + 1] = uint8_t(sample >> 8);
    }
    return file;
}

// A short tone that fades out.
std::vector<uint8_t> blip(double hz, double seconds)
{
    return wav(seconds, [=](double t) { return std::sin(two_pi * hz * t) * (1 - t / seconds); });
}

// Four seconds of plucked notes, four a second, played as a loop: each note has faded
// to a seventh before the next, so the wrap from the last to the first is not heard.
std::vector<uint8_t> tune()
{
    static const double notes[16] = {220, 262, 330, 262, 220, 262, 330, 392,
                                     175, 220, 262, 220, 196, 247, 294, 247};
    return wav(4.0, [](double t) {
        const int note = static_cast<int>(t * 4) % 16;
        const double in_note = t - note * 0.25;
        return 0.5 * std::exp(-8 * in_note) * std::sin(two_pi * notes[note] * in_note);
    });
}

bool exists(const char *name)
{
    s_corefile file;
    const bool found = corefile_open(name, &file, 0);
    corefile_close(&file);
    return found;
}

void make_if_missing(const char *name, const std::vector<uint8_t> &bytes)
{
    if (exists(name)) return;
    corefile_savebuffer(name, bytes.data(), static_cast<int>(bytes.size()));
    printf("wrote %s/%s\n", folder, name);
}

// ---- The high score --------------------------------------------------------------

// 0 when there is no file yet, or when it does not hold a number (said so).
int load_high_score()
{
    s_corefile file;
    if (!corefile_open(score_file, &file, 0)) return 0;
    char text[16] = {};
    const int size = corefile_fsize(&file);
    corefile_read(text, 1, size < 15 ? size : 15, &file);
    corefile_close(&file);
    char *end = nullptr;
    const long score = strtol(text, &end, 10);
    if (end == text || score < 0 || score > 999999) {
        printf("%s/%s holds no score; the high score starts from 0\n", folder, score_file);
        return 0;
    }
    return static_cast<int>(score);
}

void save_high_score(int score)
{
    char text[16];
    const int length = snprintf(text, sizeof(text), "%d\n", score);
    corefile_savebuffer(score_file, text, length);
    printf("high score %d saved to %s/%s\n", score, folder, score_file);
}

// ---- The game ---------------------------------------------------------------------

enum class Screen { menu, play, game_over };

struct Game {
    Screen screen = Screen::menu;
    bool bricks[rows][columns] = {};
    int bricks_left = 0;
    float paddle_x = (screen_width - paddle_width) / 2.0f;
    float ball_x = 0, ball_y = 0, ball_dx = 0, ball_dy = 0;
    bool served = false; // false: the ball rests on the paddle
    int score = 0, lives = 0, high_score = 0;
    bool new_high_score = false;
    bool paused = false;
    int flash = 0; // steps the lives still flash
};

// What the player did this frame, from every device at once.
struct Controls {
    int move = 0;        // -1 left, 1 right
    float mouse_x = -1;  // the cursor's canvas x when the mouse moved this frame, else -1
    bool action = false; // pressed this frame
    bool pause = false;  // P pressed this frame
};

s_sprite brick_sprites[rows], paddle_sprite, ball_sprite;
s_bitmap sheet;
s_font font;
s_sound music, bounce_sound, brick_sound, lose_sound;

// One sheet for every sprite: a brick per row colour, then the paddle, then the ball.
void make_sprites()
{
    const int ball_left = rows * brick_width + paddle_width;
    FENK_CreateBitmap(ball_left + ball_size, brick_height, &sheet);
    for (int r = 0; r < rows; ++r)
        for (int y = 0; y < brick_height; ++y)
            for (int x = 0; x < brick_width; ++x)
                FENK_DrawPixel(r * brick_width + x, y, row_colours[r], sheet);
    for (int y = 0; y < paddle_height; ++y)
        for (int x = 0; x < paddle_width; ++x)
            FENK_DrawPixel(rows * brick_width + x, y, paddle_colour, sheet);
    for (int y = 0; y < ball_size; ++y) {
        for (int x = 0; x < ball_size; ++x) {
            const float cx = x - 4.5f, cy = y - 4.5f;
            if (cx * cx + cy * cy <= 5.0f * 5.0f) FENK_DrawPixel(ball_left + x, y, ball_colour, sheet);
        }
    }
    FENK_UpdateBitmap(sheet);
    for (int r = 0; r < rows; ++r)
        FENK_GetSprite(r * brick_width, 0, brick_width, brick_height, sheet, &brick_sprites[r]);
    FENK_GetSprite(rows * brick_width, 0, paddle_width, paddle_height, sheet, &paddle_sprite);
    FENK_GetSprite(ball_left, 0, ball_size, ball_size, sheet, &ball_sprite);
}

int brick_x(int column) { return wall_left + column * (brick_width + brick_gap); }
int brick_y(int row) { return wall_top + row * (brick_height + brick_gap); }

void new_game(Game &game)
{
    for (auto &row : game.bricks)
        for (bool &brick : row) brick = true;
    game.bricks_left = rows * columns;
    game.score = 0;
    game.lives = start_lives;
    game.served = false;
    game.new_high_score = false;
    game.screen = Screen::play;
    printf("new game\n");
}

// A score above the high score is saved at once.
void keep_score(Game &game)
{
    if (game.score <= game.high_score) return;
    game.high_score = game.score;
    game.new_high_score = true;
    save_high_score(game.score);
}

void end_game(Game &game)
{
    game.screen = Screen::game_over;
    printf("game over: score %d\n", game.score);
    keep_score(game);
}

// Off the paddle at an angle set by where it hit: the edges send it out at 60 degrees.
void bounce_off_paddle(Game &game)
{
    const float centre = game.paddle_x + paddle_width / 2.0f;
    float offset = (game.ball_x + ball_size / 2.0f - centre) / (paddle_width / 2.0f);
    offset = offset < -1 ? -1 : offset > 1 ? 1 : offset;
    game.ball_dx = ball_speed * 0.866f * offset;
    game.ball_dy = -std::sqrt(ball_speed * ball_speed - game.ball_dx * game.ball_dx);
    Soundsystem_PlaySound(&bounce_sound, 0);
}

// The first brick the ball touches goes; the ball turns back the way it came in: up
// or down when it was over the brick's columns a step before, else sideways.
void hit_bricks(Game &game)
{
    const int x = static_cast<int>(game.ball_x), y = static_cast<int>(game.ball_y);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (!game.bricks[r][c] ||
                !FENK_CheckSpriteCollision(x, y, ball_sprite, brick_x(c), brick_y(r), brick_sprites[r]))
                continue;
            game.bricks[r][c] = false;
            --game.bricks_left;
            game.score += 10 * (rows - r); // the top rows are worth more
            printf("brick %d,%d: score %d\n", r, c, game.score);
            const float before_x = game.ball_x - game.ball_dx;
            if (before_x + ball_size > brick_x(c) && before_x < brick_x(c) + brick_width)
                game.ball_dy = -game.ball_dy;
            else
                game.ball_dx = -game.ball_dx;
            Soundsystem_PlaySound(&brick_sound, 0);
            return;
        }
    }
}

// The game moves 60 steps a second of the host's clock, whatever the frame rate: each
// frame runs the steps due since the one before. While what is owed stays within two
// steps of one (the clock counts whole milliseconds) a frame runs one, so a 60 Hz
// display gets one a frame; a slow one (a browser on a software renderer) gets several;
// after a stall at most a quarter of a second's worth.
struct GamePace {
    unsigned last = 0;
    double owed = 0;
    bool started = false;
};

int steps_due(GamePace &pace)
{
    const unsigned now = FENK_GetMillis();
    if (pace.started) pace.owed += (now - pace.last) * 60 / 1000.0;
    pace.started = true;
    pace.last = now;
    int steps = 1;
    if (pace.owed > 3)
        steps = int(std::fmin(std::floor(pace.owed), 15));
    else if (pace.owed < -1)
        steps = 0;
    pace.owed = std::fmax(pace.owed - steps, -2.0);
    return steps;
}

void play(Game &game, const Controls &in)
{
    game.paddle_x += in.move * paddle_speed;
    if (in.mouse_x >= 0) game.paddle_x = in.mouse_x - paddle_width / 2.0f;
    game.paddle_x = std::fmax(0.0f, std::fmin(game.paddle_x, float(screen_width - paddle_width)));

    if (!game.served) { // resting on the paddle until served
        game.ball_x = game.paddle_x + (paddle_width - ball_size) / 2.0f;
        game.ball_y = paddle_y - ball_size;
        if (in.action) {
            game.served = true;
            game.ball_dx = 2;
            game.ball_dy = -std::sqrt(ball_speed * ball_speed - 4);
        }
        return;
    }
    game.ball_x += game.ball_dx;
    game.ball_y += game.ball_dy;
    if (game.ball_x < 0 || game.ball_x > screen_width - ball_size) {
        game.ball_dx = -game.ball_dx;
        game.ball_x = std::fmax(0.0f, std::fmin(game.ball_x, float(screen_width - ball_size)));
        Soundsystem_PlaySound(&bounce_sound, 0);
    }
    if (game.ball_y < wall_top - brick_gap && game.ball_dy < 0) {
        game.ball_dy = -game.ball_dy;
        Soundsystem_PlaySound(&bounce_sound, 0);
    }
    if (game.ball_dy > 0 && FENK_CheckSpriteCollision(int(game.ball_x), int(game.ball_y), ball_sprite,
                                                      int(game.paddle_x), paddle_y, paddle_sprite))
        bounce_off_paddle(game);
    hit_bricks(game);

    if (game.ball_y > screen_height) { // missed
        Soundsystem_PlaySound(&lose_sound, 0);
        game.served = false;
        game.flash = flash_steps;
        printf("ball lost, lives left: %d\n", --game.lives);
        if (game.lives == 0) end_game(game);
    } else if (game.bricks_left == 0) {
        end_game(game);
    }
}

// Called after FENK_GetKeys, which also takes the edges of the keys and buttons.
Controls read_controls(float &old_mouse_x)
{
    // The key sets (arrows, W A S D, Space, Enter) and joysticks merged into one word;
    // a joystick's first button is the Space bit, its stick or hat the directions.
    int held = 0, pressed = 0;
    FENK_GetAllControllers(&held, &pressed);
    Controls in;
    in.move = (held & FENK_BUTTON_RIGHT ? 1 : 0) - (held & FENK_BUTTON_LEFT ? 1 : 0);
    in.action = (pressed & (FENK_BUTTON_SPACE | FENK_BUTTON_ENTER)) != 0;
    float x = 0, y = 0;
    FENK_GetCanvasMouse(&x, &y);
    if (x != old_mouse_x && old_mouse_x >= 0) in.mouse_x = x;
    old_mouse_x = x;
    if (FENK_MousePressed(FENK_MOUSE_LEFT)) in.action = true;
    in.pause = FENK_KeyPressed('P') != 0;
    return in;
}

// The font is white: the tint colours each line.
void draw(const Game &game)
{
    FENK_ClearFrameBuffer(background);
    if (game.screen == Screen::menu) {
        FENK_SetTint(1.0f, 0.8f, 0.25f, 1);
        FENK_DrawCenteredText(100, font, "BREAKOUT");
        FENK_ResetTint();
        FENK_DrawCenteredText(180, font, "PRESS ENTER, SPACE, CLICK OR A");
        FENK_DrawCenteredText(220, font, "HIGH SCORE %d", game.high_score);
        return;
    }
    if (game.screen == Screen::game_over) {
        FENK_SetTint(1.0f, 0.3f, 0.3f, 1);
        FENK_DrawCenteredText(100, font, "GAME OVER");
        FENK_ResetTint();
        FENK_DrawCenteredText(160, font, "SCORE %d", game.score);
        FENK_DrawCenteredText(200, font, game.new_high_score ? "NEW HIGH SCORE!" : "HIGH SCORE %d",
                              game.high_score);
        FENK_DrawCenteredText(260, font, "PRESS ENTER FOR THE MENU");
        return;
    }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (game.bricks[r][c]) FENK_DrawSprite(brick_x(c), brick_y(r), brick_sprites[r]);
    // Where they are, to the nearest pixel, rather than cut to whole pixels.
    FENK_DrawSpriteF(game.paddle_x, paddle_y, paddle_sprite);
    FENK_DrawSpriteF(game.ball_x, game.ball_y, ball_sprite);
    FENK_DrawText(10, 10, font, "SCORE %d", game.score);
    // Right-aligned: the word's width in this font, as the draws lay it out, then a ball
    // a life; both red for a while after a ball was lost.
    const float red = game.flash > 0 && game.flash / 5 % 2 == 0 ? 0.3f : 1.0f;
    const int lives_right = screen_width - 10 - start_lives * 16;
    FENK_SetTint(1, red, red, 1);
    FENK_DrawText(lives_right - 6 - FENK_MeasureText(font, "LIVES"), 10, font, "LIVES");
    FENK_ResetTint();
    for (int life = 0; life < start_lives; ++life) {
        const float x = lives_right + 16 * life + 8.0f;
        if (life < game.lives)
            FENK_DrawCircle(x, 17, 6, 1, red * 0.6f, red * 0.6f, 1);
        else
            FENK_DrawCircleOutline(x, 17, 6, 1, 0.6f, 0.4f, 0.4f, 1);
    }
    if (game.paused) {
        // A dark see-through box with a frame, over the wall.
        FENK_EnableAlphaBlend(1);
        FENK_DrawRect(200, 140, 240, 70, 0, 0, 0, 0.7f);
        FENK_DisableAlphaBlend();
        FENK_DrawRectOutline(200, 140, 240, 70, 3, 1, 0.8f, 0.25f, 1);
        FENK_DrawCenteredText(168, font, "PAUSED");
    }
}

} // namespace

int coremain(int, char **)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    corefile_mountimage(folder, COREFILE_MOUNT_DIRECTORY);
    make_if_missing("font.tga", font_tga());
    make_if_missing("bounce.wav", blip(660, 0.06));
    make_if_missing("brick.wav", blip(990, 0.1));
    make_if_missing("lose.wav", wav(0.5, [](double t) { return std::sin(two_pi * (440 - 300 * t) * t); }));
    make_if_missing("music.wav", tune());

    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - breakout");
    const int canvas = FENK_CreateFrameBuffer(screen_width, screen_height, 0);
    FENK_LoadFont("font.tga", &font);
    if (!font.picture || !font.picture->pixels) {
        printf("%s/font.tga is not a font picture\n", folder);
        FENK_CloseVideo();
        corefile_closeimage();
        return 1;
    }
    make_sprites();
    FENK_InitControllers();

    Soundsystem_Init(SOUNDSYSTEM_DEVICERATE, 16, 2);
    Soundsystem_LoadSound("bounce.wav", &bounce_sound);
    Soundsystem_LoadSound("brick.wav", &brick_sound);
    Soundsystem_LoadSound("lose.wav", &lose_sound);
    if (Soundsystem_LoadSound("music.wav", &music)) Soundsystem_PlayMusic(&music, 1);
    Soundsystem_SetMusicVolume(128);

    Game game;
    game.high_score = load_high_score();
    printf("high score %d\n", game.high_score);
    // Closing the window ends the loop below instead of the program: the score is kept.
    FENK_CatchClose(1);
    float mouse_x = -1;
    int screenshots = 0;
    GamePace pace;
    bool action_kept = false;
    while (!FENK_CloseRequested()) {
        FENK_WaitRefresh();
        int keys = 0;
        FENK_GetKeys(&keys, nullptr); // also refreshes the key table the key sets read
        if (keys & FENK_BUTTON_ESCAPE) break;
        Controls in = read_controls(mouse_x);
        const int steps = steps_due(pace);
        if (in.pause && game.screen == Screen::play) game.paused = !game.paused;
        if (game.paused) {
            // Everything stands still, the flash too.
        } else if (game.screen == Screen::play) {
            // What was pressed counts once, in the next step run.
            in.action = in.action || action_kept;
            action_kept = steps == 0 && in.action;
            for (int i = 0; i < steps && game.screen == Screen::play; i++, in.action = false) {
                if (game.flash > 0) --game.flash;
                play(game, in);
            }
        } else if (in.action && game.screen == Screen::menu) {
            new_game(game);
        } else if (in.action) {
            game.screen = Screen::menu;
        }

        FENK_SetFrameBuffer(canvas);
        draw(game);
        if (FENK_KeyPressed(screenshot_key)) {
            char name[64];
            snprintf(name, sizeof name, "%s/screenshot-%d.png", folder, ++screenshots);
            FENK_SaveScreenshot(name);
        }
        FENK_SwapBuffers();
    }
    if (FENK_CloseRequested()) {
        printf("window closed\n");
        if (game.screen == Screen::play) keep_score(game);
    }

    for (s_sound *s : {&music, &bounce_sound, &brick_sound, &lose_sound}) Soundsystem_DeleteSound(s);
    Soundsystem_CloseAudio();
    FENK_FlushGraphics();
    FENK_CloseVideo();
    corefile_closeimage();
    return 0;
}
