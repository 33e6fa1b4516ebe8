// Sprites: a sheet of cells painted pixel by pixel into a bitmap at start, so no data
// file is needed; a ball steered with the arrow keys, W A S D or a joystick, or put
// where the mouse clicks, rocks spinning as they drift across, and the engine's box
// collision turning whatever touches red. Escape ends it.
#include "graphics2d/corebitmap.h"
#include "graphics2d/coresprite.h"
#include "input/coreinput.h"
#include "platform/host.h"
#include "video/fenk.h"

namespace {

constexpr int screen_width = 640;
constexpr int screen_height = 360;
// Drawn at half size and stretched without smoothing, for big square pixels.
constexpr int canvas_width = 320;
constexpr int canvas_height = 180;
constexpr int cell = 16;
constexpr int player_speed = 2;

// Pixel colours are 0xAARRGGBB; pixels left at 0 are transparent and not drawn.
constexpr int ball_colour = static_cast<int>(0xFF30D060);
constexpr int rock_colour = static_cast<int>(0xFFA0A0A0);
constexpr int rock_rim = static_cast<int>(0xFF606060);
constexpr int hit_colour = static_cast<int>(0xFFFF3030);

// The sheet's cells, left to right.
enum Cell { ball, ball_hit, rock, rock_hit, cells };

struct Mover {
    int x, y;   // top-left corner on the canvas
    int dx, dy; // canvas pixels a frame
    bool hit;
    float angle, spin; // degrees, clockwise; degrees a frame
};

void paint_ball(s_bitmap &sheet, int left, int colour)
{
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            const float cx = x - 7.5f, cy = y - 7.5f;
            if (cx * cx + cy * cy <= 7.5f * 7.5f) FENK_DrawPixel(left + x, y, colour, sheet);
        }
    }
}

void paint_rock(s_bitmap &sheet, int left, int colour)
{
    for (int y = 1; y < cell - 1; ++y) {
        for (int x = 1; x < cell - 1; ++x) {
            const bool rim = x == 1 || y == 1 || x == cell - 2 || y == cell - 2;
            FENK_DrawPixel(left + x, y, rim ? rock_rim : colour, sheet);
        }
    }
}

bool escape_pressed()
{
    int keys = 0;
    FENK_GetKeys(&keys, nullptr);
    return (keys & FENK_BUTTON_ESCAPE) != 0;
}

// Every key set and joystick merged into one word of direction bits; a click puts the
// ball's middle under the pointer, found in canvas pixels (the window shows the canvas
// twice as large).
void steer(Mover &player)
{
    int buttons = 0;
    FENK_GetAllControllers(&buttons, nullptr);
    if (FENK_MousePressed(FENK_MOUSE_LEFT)) {
        float x = 0, y = 0;
        FENK_GetCanvasMouse(&x, &y);
        player.x = static_cast<int>(x) - cell / 2;
        player.y = static_cast<int>(y) - cell / 2;
    }
    if (buttons & FENK_BUTTON_LEFT) player.x -= player_speed;
    if (buttons & FENK_BUTTON_RIGHT) player.x += player_speed;
    if (buttons & FENK_BUTTON_UP) player.y -= player_speed;
    if (buttons & FENK_BUTTON_DOWN) player.y += player_speed;
    player.x = player.x < 0 ? 0 : player.x > canvas_width - cell ? canvas_width - cell : player.x;
    player.y = player.y < 0 ? 0 : player.y > canvas_height - cell ? canvas_height - cell : player.y;
}

// Rocks leave one side and come back in on the other.
void drift(Mover &rock)
{
    rock.x += rock.dx;
    rock.y += rock.dy;
    rock.angle += rock.spin;
    if (rock.x > canvas_width) rock.x = -cell;
    if (rock.x < -cell) rock.x = canvas_width;
}

} // namespace

int coremain(int, char **)
{
    FENK_InitVideo(screen_width, screen_height, 0);
    FENK_SetTitle("FENK - sprites example");
    FENK_InitControllers();
    const int canvas = FENK_CreateFrameBuffer(canvas_width, canvas_height, 0);

    // The bitmap keeps its pixels in memory; the texture takes them on update.
    s_bitmap sheet;
    FENK_CreateBitmap(cells * cell, cell, &sheet);
    paint_ball(sheet, ball * cell, ball_colour);
    paint_ball(sheet, ball_hit * cell, hit_colour);
    paint_rock(sheet, rock * cell, rock_colour);
    paint_rock(sheet, rock_hit * cell, hit_colour);
    FENK_UpdateBitmap(sheet);

    s_sprite sprites[cells];
    for (int i = 0; i < cells; ++i) FENK_GetSprite(i * cell, 0, cell, cell, sheet, &sprites[i]);
    // The ball's corners hold no ink: a touch there should not count.
    FENK_SetSpriteCollisionBox(&sprites[ball], 2, 2, cell - 2, cell - 2);

    Mover player{canvas_width / 2 - cell / 2, canvas_height / 2 - cell / 2, 0, 0, false, 0, 0};
    Mover rocks[] = {
        {40, player.y, 2, 0, false, 0, 3}, {300, 24, -1, 0, false, 0, -2}, {0, 140, 3, 0, false, 0, 1.5f}};

    while (!escape_pressed()) {
        FENK_WaitRefresh();
        steer(player);
        player.hit = false;
        for (Mover &r : rocks) {
            drift(r);
            r.hit = FENK_CheckSpriteCollision(player.x, player.y, sprites[ball], r.x, r.y, sprites[rock]);
            player.hit = player.hit || r.hit;
        }

        FENK_SetFrameBuffer(canvas);
        FENK_ClearFrameBuffer(0xFF301818); // a dark blue
        // Each rock turns about its middle: the origin (8, 8) of its 16 x 16 cell goes
        // on the middle of where the cell stands. (The collision box does not turn.)
        for (const Mover &r : rocks)
            FENK_DrawSpriteTransformed(r.x + cell / 2.0f, r.y + cell / 2.0f, cell, cell, cell / 2.0f,
                                       cell / 2.0f, r.angle, sprites[r.hit ? rock_hit : rock]);
        FENK_DrawSprite(player.x, player.y, sprites[player.hit ? ball_hit : ball]);
        FENK_SwapBuffers();
    }

    // Textures go while the video is still up.
    FENK_FlushGraphics();
    FENK_CloseVideo();
    return 0;
}
