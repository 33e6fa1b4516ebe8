// A scratch folder per test, made the working directory while the test runs,
// with helpers to lay out a data image and capture what the layer prints.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/core.h"

namespace fs = std::filesystem;

class ImageTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root_ = fs::temp_directory_path() /
                ("fenk-files-" + std::to_string(stamp) + "-" + std::to_string(std::random_device()()));
        fs::create_directories(root_);
        previous_ = fs::current_path();
        fs::current_path(root_);
    }

    void TearDown() override
    {
        corefile_closeimage();
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    static void put(const fs::path &path, const std::string &bytes)
    {
        if (path.has_parent_path()) fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    template <typename F> static std::string printed(F &&call)
    {
        fflush(stdout);
        testing::internal::CaptureStdout();
        call();
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
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

    fs::path root_, previous_;
};
