// The release archive under test and its unpacking: SHOW_ARCHIVE names it (the Windows
// build's tests point it at the zip), else it is the Linux build's own tarball.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path archive_under_test();

// Unpacks `archive` into `folder` as a user would (the tarball with tar, the zip with
// CMake's own unpacker, standing for a Windows one). Returns the archive's top folder,
// or an empty path with `error` set.
std::filesystem::path unpack(const std::filesystem::path &archive, const std::filesystem::path &folder,
                             std::string &error);
