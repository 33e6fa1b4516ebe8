// Bitmap records that outlive their registry entries for the whole test, and
// release of every registered picture's memory afterwards.
#pragma once

#include "../files/image_fixture.h"

#include <cstdlib>
#include <deque>
#include <string>

#include "graphics2d/corebitmap.h"

class Bitmaps : public ImageTest {
protected:
    void SetUp() override
    {
        ImageTest::SetUp();
        fenk_numbitmaps = 0;
    }

    void TearDown() override
    {
        for (int i = 0; i < fenk_numbitmaps; i++)
            free(fenk_bitmaplist[i]->pixels);
        fenk_numbitmaps = 0;
        ImageTest::TearDown();
    }

    s_bitmap *record()
    {
        return &records_.emplace_back();
    }

    // Decodes the bytes into a fresh record and gives what the reader printed.
    std::string decode(const std::string &bytes, s_bitmap **out, const char *name = "pic.tga")
    {
        s_bitmap *bitmap = record();
        *out = bitmap;
        return printed([&] {
            DecodeImageTGA(name, (const unsigned char *)bytes.data(), (int)bytes.size(), bitmap);
        });
    }

    static unsigned pixel(const s_bitmap *bitmap, int x, int y)
    {
        return (unsigned)FENK_GetPixel(x, y, *bitmap);
    }

    std::deque<s_bitmap> records_;
};
