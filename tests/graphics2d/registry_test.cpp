// The calls across the registries: the memory report, the flush that deletes
// every sprite and then every bitmap, and the drawing counters.
#include "gl_fixture.h"

namespace {

std::string report(int bitmaps, int sprites, int fonts)
{
    return "[=== GRAPHICS MEMORY INFO ===]\nNum.Bitmaps: " + std::to_string(bitmaps) +
           " / 1024\nNum.Sprites: " + std::to_string(sprites) +
           " / 1024\nNum.Fonts: " + std::to_string(fonts) +
           " / 16\nNum.Framebuffers: " + std::to_string(FENK_numframebuffers) +
           " / 16\n[============================]\n";
}

} // namespace

TEST_F(Graphics2D, FlushDeletesSpritesThenBitmapsAndEmptiesTheRegistries)
{
    // A font picture (3 glyphs), a loaded sprite, a created and a cut sprite,
    // a static bitmap and a program's bitmap.
    std::string picture4 = tga32(3, 2, {0, 0, 0xFFFFFFFFu, 0xFF102030u, 0xFF102030u, 0xFF102030u});
    mount({{"font.tga", picture4}, {"ship.tga", tga32(2, 1, {0xFF112233u, 0xFF445566u})}});
    s_font *f = font();
    s_sprite *ship = sprite(), *blank = sprite(), *cell = sprite();
    s_bitmap *fixed = bitmap();
    printed([&] {
        FENK_LoadFont("font.tga", f);
        FENK_LoadSprite("ship.tga", ship);
        FENK_LoadBitmapStatic("ship.tga", fixed);
    });
    FENK_CreateSprite(4, 4, blank);
    s_bitmap *own = picture(1, 1, {0xFF000000u});
    FENK_GetSprite(0, 0, 1, 1, *own, cell);
    EXPECT_EQ(printed(FENK_ShowGraphicsMemory), report(4, 6, 1));

    std::vector<GLuint> textures;
    for (int i = 0; i < fenk_numbitmaps; i++) textures.push_back((GLuint)fenk_bitmaplist[i]->texture);
    EXPECT_EQ(printed(FENK_FlushGraphics),
              "[6 sprites deleted]\n"
              "deleting bitmap\ndeleting bitmap\ndeleting bitmap\ndeleting bitmap\n"
              "[4 bitmaps deleted]\n");
    EXPECT_EQ(blank->pixels, nullptr);
    EXPECT_EQ(own->pixels, nullptr);
    for (GLuint t : textures) EXPECT_FALSE(glIsTexture(t)) << t;
    EXPECT_EQ(printed(FENK_ShowGraphicsMemory), report(0, 0, 0));

    // A second flush finds nothing; new objects register from the start.
    EXPECT_EQ(printed(FENK_FlushGraphics), "[0 sprites deleted]\n[0 bitmaps deleted]\n");
    s_bitmap *again = picture(1, 1, {0xFF000000u});
    for (int i = 0; i < 3; i++) FENK_GetSprite(0, 0, 1, 1, *again, sprite());
    EXPECT_EQ(fenk_bitmaplist[0], again);
    EXPECT_EQ(fenk_numsprites, 3);
    FENK_PushGraphics();
    FENK_PopGraphics();
    EXPECT_EQ(printed(FENK_ShowGraphicsMemory), report(1, 3, 0));
}

TEST_F(Graphics2D, RenderStatusCountsTheDrawingSinceTheLastSwap)
{
    s_bitmap *a = picture(1, 1, {0xFFFFFFFFu});
    s_bitmap *b = picture(1, 1, {0xFFFFFFFFu});
    s_sprite &s = *sprite();
    FENK_GetSprite(0, 0, 1, 1, *b, &s);
    present();
    int triangles = -1, binds = -1, switches = -1;
    FENK_GetRenderStatus(&triangles, &binds, &switches);
    EXPECT_EQ(std::vector<int>({triangles, binds, switches}), std::vector<int>({0, 0, 0}));

    FENK_DrawBitmap(0, 0, *a);
    FENK_DrawBitmap(2, 0, *a);
    FENK_DrawSprite(4, 0, s);
    FENK_DrawBitmap(6, 0, *a);
    FENK_GetRenderStatus(&triangles, &binds, &switches);
    // Binds: a, b, a. Switches: the alpha test on for the sprite, off again.
    EXPECT_EQ(std::vector<int>({triangles, binds, switches}), std::vector<int>({8, 3, 2}));
    FENK_GetRenderStatus(nullptr, nullptr, nullptr);
}
