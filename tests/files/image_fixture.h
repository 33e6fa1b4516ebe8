// A scratch folder per test, made the working directory while the test runs,
// with helpers to lay out a data image and capture what the layer prints.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/core.h"
#include "scratch.h"
#include "stdout_capture.h"

namespace fs = std::filesystem;

class ImageTest : public ScratchTest {
protected:
    void TearDown() override
    {
        corefile_closeimage();
        ScratchTest::TearDown();
    }

    static void put(const fs::path &path, const std::string &bytes)
    {
        if (path.has_parent_path()) fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static int mount(const char *name = "data")
    {
        int result = 0;
        printed([&] { result = corefile_mountimage(name, COREFILE_MOUNT_DIRECTORY); });
        return result;
    }

    static std::vector<std::string> names()
    {
        return {corefile_image.names, corefile_image.names + corefile_image.numfiles};
    }
};
