// Sprite records and their registry, texture coordinates of cut and created
// sprites, and the strict edges of the collision and colour-key tests.
#include "bitmap_fixture.h"

#include <cmath>
#include <cstring>

#include "graphics2d/coresprite.h"

namespace {

class Sprites : public Bitmaps {
protected:
    void SetUp() override
    {
        Bitmaps::SetUp();
        fenk_numsprites = 0;
    }

    void TearDown() override
    {
        for (int i = 0; i < fenk_numsprites; i++) FENK_DeleteSprite(fenk_spritelist[i]);
        fenk_numsprites = 0;
        Bitmaps::TearDown();
        memset(fenk_spritebmp, 0, sizeof fenk_spritebmp);
    }

    s_sprite *sprite() { return &sprites_.emplace_back(); }

    std::deque<s_sprite> sprites_;
};

s_bitmap texture64(int id)
{
    s_bitmap b = {};
    b.width = b.texwidth = 64;
    b.height = b.texheight = 64;
    b.texture = id;
    return b;
}

s_sprite boxed(int left, int top, int right, int bottom)
{
    s_sprite s = {};
    FENK_SetSpriteCollisionBox(&s, left, top, right, bottom);
    return s;
}

} // namespace

TEST_F(Sprites, CreatedSpritesOwnAZeroedBufferJustInsideTheTexture)
{
    s_sprite *s = sprite();
    memset(s, 0x77, sizeof *s);
    FENK_CreateSprite(100, 50, s);
    EXPECT_EQ(s->width, 100);
    EXPECT_EQ(s->height, 50);
    EXPECT_EQ(s->u0, 0.0f);
    EXPECT_EQ(s->v0, 0.0f);
    EXPECT_EQ(s->u1, (float)(100 * 0.99999) / 100.0f);
    EXPECT_EQ(s->v1, (float)(50 * 0.9999) / 50.0f);
    EXPECT_LT(s->u1, 1.0f);
    EXPECT_NE(s->u1, s->v1);
    EXPECT_EQ(s->texture, 0);
    EXPECT_EQ(s->reserved, 0);
    EXPECT_EQ((std::vector<int>{s->boxleft, s->boxtop, s->boxright, s->boxbottom}),
              (std::vector<int>{0, 0, 100, 50}));
    EXPECT_EQ(s->originx, 0);
    EXPECT_EQ(s->originy, 0);
    ASSERT_NE(s->pixels, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(s->pixels, s->pixels + 5000), std::vector<uint32_t>(5000, 0));
    ASSERT_EQ(fenk_numsprites, 1);
    EXPECT_EQ(fenk_spritelist[0], s);

    // The bitmap shares the sprite's pixels and is not registered.
    s_bitmap b = FENK_GetBitmapFromSprite(*s);
    EXPECT_EQ(b.pixels, s->pixels);
    EXPECT_EQ(b.width, 100);
    EXPECT_EQ(b.pixelcount, 5000);
    EXPECT_EQ(b.bytesize, 20000);
    EXPECT_EQ(b.texwidth, 0);
    EXPECT_EQ(b.v1, s->v1);
    EXPECT_EQ(fenk_numbitmaps, 0);
    FENK_DrawPixel(99, 49, (int)0xFF102030u, b);
    EXPECT_EQ(s->pixels[4999], 0xFF302010u);

    FENK_ClearSprite(*s);
    EXPECT_EQ(s->pixels[4999], 0u);
    FENK_DeleteSprite(s);
    EXPECT_EQ(s->pixels, nullptr);
    FENK_DeleteSprite(s);
    FENK_ClearSprite(*s);
    EXPECT_EQ(fenk_numsprites, 1);

    // Sizes no buffer can have are refused and leave the record empty.
    for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {65536, 65536}}) {
        s_sprite *bad = sprite();
        EXPECT_EQ(printed([&] { FENK_CreateSprite(w, h, bad); }),
                  "- ERROR: no sprite of " + std::to_string(w) + " x " + std::to_string(h) + " pixels.\n");
        EXPECT_EQ(bad->pixels, nullptr);
        EXPECT_EQ(bad->width, 0);
    }
    EXPECT_EQ(fenk_numsprites, 1);
}

TEST_F(Sprites, CutCellsTakeTheirCoordinatesFromTheTextureSize)
{
    s_bitmap sheet = texture64(7);
    s_bitmap other = {};
    s_sprite *s = sprite();
    s->bitmap = &other;
    FENK_GetSprite(16, 0, 16, 16, sheet, s);
    EXPECT_EQ(s->u0, 0.25f);
    EXPECT_EQ(s->v0, 0.0f);
    EXPECT_EQ(s->u1, 0.5f);
    EXPECT_EQ(s->v1, 0.25f);
    EXPECT_EQ(s->texture, 7);
    EXPECT_EQ(s->bitmap, &other);
    EXPECT_EQ(s->pixels, nullptr);
    EXPECT_EQ(s->boxright, 16);

    // A bitmap that never loaded has no texture size: no division by zero.
    s_sprite *empty = sprite();
    FENK_GetSprite(3, 4, 5, 6, s_bitmap{}, empty);
    EXPECT_EQ((std::vector<float>{empty->u0, empty->v0, empty->u1, empty->v1}), std::vector<float>(4, 0.0f));

    EXPECT_EQ(fenk_numsprites, 2);
    EXPECT_EQ(fenk_spritelist[1], empty);
    s_bitmap b = FENK_GetBitmapFromSprite(*s);
    EXPECT_EQ(b.pixels, nullptr);
    EXPECT_EQ(b.texture, 7);
    EXPECT_EQ(b.u1, 0.5f);
}

TEST_F(Sprites, FullRegistryRefusesEveryKindOfSprite)
{
    s_bitmap sheet = texture64(1);
    for (int i = 0; i < FENK_MAXSPRITES; i++) FENK_GetSprite(0, 0, 1, 1, sheet, sprite());
    ASSERT_EQ(fenk_numsprites, FENK_MAXSPRITES);
    s_sprite *last = fenk_spritelist[FENK_MAXSPRITES - 1];

    s_sprite *extra = sprite();
    const std::string full = "- ERROR: sprite registry full (1024 sprites).\n";
    EXPECT_EQ(printed([&] { FENK_GetSprite(0, 0, 4, 4, sheet, extra); }), full);
    EXPECT_EQ(extra->width, 0);
    EXPECT_EQ(printed([&] { FENK_CreateSprite(4, 4, extra); }), full);
    EXPECT_EQ(extra->pixels, nullptr);
    EXPECT_EQ(printed([&] { FENK_LoadSprite("a.tga", extra); }), full);
    EXPECT_EQ(extra->bitmap, nullptr);
    EXPECT_EQ(fenk_numsprites, FENK_MAXSPRITES);
    EXPECT_EQ(fenk_spritelist[FENK_MAXSPRITES - 1], last);
    EXPECT_EQ(fenk_numbitmaps, 0);
}

TEST_F(Sprites, LoadedSpritesKeepTheirBitmapInTheSlotOfTheirEntry)
{
    put("data/ship.tga",
        std::string("\0\0\2\0\0\0\0\0\0\0\0\0\3\0\2\0\x18\x20", 18) + std::string(18, '\x40'));
    ASSERT_EQ(mount(), 1);

    FENK_GetSprite(0, 0, 1, 1, texture64(1), sprite());
    s_sprite *ship = sprite();
    printed([&] { FENK_LoadSprite("ship.tga", ship); });
    ASSERT_EQ(fenk_numsprites, 2);
    EXPECT_EQ(fenk_spritelist[1], ship);
    EXPECT_EQ(ship->bitmap, &fenk_spritebmp[1]);
    EXPECT_EQ(ship->width, 3);
    EXPECT_EQ(ship->height, 2);
    EXPECT_EQ(ship->u1, 1.0f);
    EXPECT_EQ(ship->v1, 1.0f);
    EXPECT_EQ(FENK_GetPixel(2, 1, fenk_spritebmp[1]), (int)0xFF404040u);

    // A file that does not load gives an empty sprite, whatever the slot held.
    fenk_spritebmp[2] = texture64(9);
    s_sprite *missing = sprite();
    std::string output = printed([&] { FENK_LoadSprite("none.tga", missing); });
    EXPECT_NE(output.find("- ERROR: Image none.tga not loaded. data/none.tga: no such file\n"),
              std::string::npos)
        << output;
    EXPECT_EQ(missing->bitmap, &fenk_spritebmp[2]);
    EXPECT_EQ(missing->width, 0);
    EXPECT_EQ(missing->texture, 0);
    EXPECT_FALSE(std::isnan(missing->u1));
    EXPECT_EQ(fenk_numsprites, 3);
}

TEST(SpriteTests, CollisionsNeedAStrictOverlap)
{
    const struct {
        int x1, y1, w1, h1, x2, y2, w2, h2, hit;
    } boxes[] = {
        {0, 0, 10, 10, 10, 0, 10, 10, 0},  // touching on the right
        {0, 0, 10, 10, -10, 0, 10, 10, 0}, // touching on the left
        {0, 0, 10, 10, 0, 10, 10, 10, 0},  // touching below
        {0, 0, 10, 10, 0, -10, 10, 10, 0}, // touching above
        {0, 0, 10, 10, 10, 10, 10, 10, 0}, // touching at a corner
        {0, 0, 10, 10, 9, 9, 10, 10, 1},
        {0, 0, 10, 10, -9, -9, 10, 10, 1},
        {0, 0, 10, 10, 3, 3, 2, 2, 1},                           // inside
        {3, 3, 2, 2, 0, 0, 10, 10, 1},                           // around
        {0, 0, 0, 0, 0, 0, 10, 10, 0},                           // an empty box never collides
        {INT32_MAX - 5, 0, 10, 10, INT32_MIN + 5, 0, 10, 10, 0}, // far apart, no overflow
        {INT32_MAX - 5, 0, 10, 10, INT32_MAX - 8, 0, 10, 10, 1},
    };
    for (const auto &c : boxes) {
        EXPECT_EQ(FENK_CheckBoxCollision(c.x1, c.y1, c.w1, c.h1, c.x2, c.y2, c.w2, c.h2), c.hit)
            << c.x1 << "," << c.y1 << " " << c.w1 << "x" << c.h1 << " against " << c.x2 << "," << c.y2 << " "
            << c.w2 << "x" << c.h2;
    }

    s_sprite a = boxed(0, 0, 16, 16), b = boxed(0, 0, 16, 16);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, a, 16, 0, b), 0);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, a, 15, 0, b), 1);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, a, 0, 15, b), 1);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, a, 15, 16, b), 0);

    // The boxes sit at their offsets from the drawing positions: at (0, 0) the
    // inset box spans x 4 to 12 and y 2 to 14, ends exclusive; the narrow one at
    // (x, y) spans x + 2 to x + 10 and y to y + 4.
    s_sprite inset = boxed(4, 2, 12, 14), narrow = boxed(2, 0, 10, 4);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, inset, 10, 0, narrow), 0);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, inset, 9, 0, narrow), 1);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, inset, 0, -2, narrow), 0);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, inset, 0, -1, narrow), 1);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, inset, 0, 14, narrow), 0);
    EXPECT_EQ(FENK_CheckSpriteCollision(0, 0, inset, 0, 13, narrow), 1);
    EXPECT_EQ(FENK_CheckSpriteCollision(10, 0, narrow, 0, 0, inset), 0);
    EXPECT_EQ(FENK_CheckSpriteCollision(9, 0, narrow, 0, 0, inset), 1);
}

TEST(SpriteTests, TransparencyKeyEdges)
{
    EXPECT_EQ(FENK_CheckSpriteTransparency(0xFF00FF), 1);
    EXPECT_EQ(FENK_CheckSpriteTransparency(0xF10FF1), 1);
    EXPECT_EQ(FENK_CheckSpriteTransparency((int)0x00F10FF1u | (int)0x80000000u), 1); // top byte not looked at
    EXPECT_EQ(FENK_CheckSpriteTransparency(0xF000FF), 0);
    EXPECT_EQ(FENK_CheckSpriteTransparency(0xFF10FF), 0);
    EXPECT_EQ(FENK_CheckSpriteTransparency(0xFF00F0), 0);
    EXPECT_EQ(FENK_CheckSpriteTransparency(0), 0);
}
