// A folder of one's own below the system's temporary folder, removed with the
// object: its name holds the tag, the time and random parts, so tests running at
// once (other builds, other checkouts) never share one.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string &tag);
    ~ScratchFolder();

    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    // Absolute, since the file layer's walk moves the working directory.
    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path &name) const { return path_ / name; }

    // Leaves the folder in place, for a failed test's evidence.
    void keep() { keep_ = true; }

private:
    std::filesystem::path path_;
    bool keep_ = false;
};

// The running test's name as a folder tag ("Suite.Name", '/' of parameters made '-').
inline std::string current_test_tag()
{
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    std::string tag = test ? std::string(test->test_suite_name()) + "." + test->name() : "test";
    for (char &c : tag)
        if (c == '/' || c == '\\') c = '-';
    return tag;
}

// A scratch folder for the running test, made the working directory while it runs.
class ScratchTest : public testing::Test {
protected:
    void SetUp() override
    {
        scratch_ = std::make_unique<ScratchFolder>(current_test_tag());
        root_ = scratch_->path();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_);
    }

    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        scratch_.reset();
    }

    std::filesystem::path root_, previous_;

private:
    std::unique_ptr<ScratchFolder> scratch_;
};
