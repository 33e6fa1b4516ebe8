// Bitmap records that outlive their registry entries for the whole test, and
// release of every registered picture's memory afterwards.
#pragma once

#include "../files/image_fixture.h"

#include <cstdlib>
#include <algorithm>
#include <deque>
#include <memory>
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
        for (int i = 0; i < fenk_numbitmaps; i++) free(fenk_bitmaplist[i]->pixels);
        fenk_numbitmaps = 0;
        ImageTest::TearDown();
    }

    s_bitmap *record() { return &records_.emplace_back(); }

    // Decodes the bytes into the record and gives what the reader printed. The
    // bytes sit in a block of exactly their size, so the sanitizer sees any read
    // past the file's end.
    static std::string decodeinto(const std::string &bytes, s_bitmap *bitmap, const char *name = "pic.tga")
    {
        std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        return printed([&] { DecodeImageTGA(name, exact.get(), (int)bytes.size(), bitmap); });
    }

    std::string decode(const std::string &bytes, s_bitmap **out, const char *name = "pic.tga")
    {
        *out = record();
        return decodeinto(bytes, *out, name);
    }

    static unsigned pixel(const s_bitmap *bitmap, int x, int y)
    {
        return (unsigned)FENK_GetPixel(x, y, *bitmap);
    }

    std::deque<s_bitmap> records_;
};
