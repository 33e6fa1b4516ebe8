// The file layer over a small directory tree that the input describes: odd names,
// deep nesting, long names, links and empty files. The tree is written into the
// process's private folder, mounted, listed folder by folder and every member read.
//
// The input is a list of steps, each a byte whose low three bits choose what to make
// and whose other bits, with the bytes after it, give the name and size.
#include <errno.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scratch.h"

namespace {

namespace fs = std::filesystem;

constexpr int max_depth = 48;
constexpr size_t max_path = 3000; // below the system's own limit, whatever the names
constexpr int max_listed = 64;    // folders listed per input

struct reader {
    const uint8_t *at, *end;
    bool more() const { return at < end; }
    uint8_t byte() { return at < end ? *at++ : 0; }
};

// 1 to 64 bytes, or 100 to 255 when `longname`; no "/" or zero inside, never "." or "..".
std::string name(reader &in, bool longname)
{
    size_t length = longname ? 100 + in.byte() % 156 : 1 + in.byte() % 64;
    std::string text;
    uint8_t seed = in.byte();
    for (size_t i = 0; i < length; i++) {
        uint8_t c = i < 8 && in.more() ? in.byte() : (uint8_t)('a' + (seed + i) % 26);
        text += c == '/' || c == 0 ? '_' : (char)c;
    }
    if (text == "." || text == "..") text = "_";
    return text;
}

void writefile(const std::string &path, size_t size, uint8_t fill)
{
    FILE *f = fopen(path.c_str(), "wbx");
    if (!f) return;
    std::vector<uint8_t> bytes(size, fill);
    if (size) fwrite(bytes.data(), 1, size, f);
    fclose(f);
}

// Writes the tree below `root`; gives the member paths (relative) of the plain files.
std::vector<std::string> build(reader &in, const std::string &root)
{
    std::vector<std::string> files;
    std::vector<std::string> stack; // folders entered, relative to root
    auto here = [&] { return stack.empty() ? std::string() : stack.back() + "/"; };
    while (in.more()) {
        uint8_t step = in.byte();
        std::string dir = here();
        switch (step & 7) {
        case 0: { // a folder, entered
            std::string n = name(in, step & 8);
            std::string path = dir + n;
            if ((int)stack.size() >= max_depth || root.size() + path.size() > max_path) break;
            if (mkdir((root + "/" + path).c_str(), 0700) == 0 || errno == EEXIST) {
                struct stat st;
                if (lstat((root + "/" + path).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                    stack.push_back(path);
            }
            break;
        }
        case 1: // back up one or more folders
            for (int n = 1 + (step >> 3) % 4; n > 0 && !stack.empty(); n--) stack.pop_back();
            break;
        case 2:   // a file of up to 2 KiB
        case 3: { // an empty file
            std::string n = name(in, step & 8);
            std::string path = dir + n;
            if (root.size() + path.size() > max_path) break;
            size_t size = (step & 7) == 2 ? (size_t)in.byte() * 8 + (step >> 4) : 0;
            writefile(root + "/" + path, size, step);
            files.push_back(path);
            break;
        }
        case 4: { // a link to a file made earlier, or to nothing
            std::string n = name(in, step & 8);
            std::string target = "nowhere";
            if (!files.empty() && (step & 16)) {
                target = files[in.byte() % files.size()];
                for (size_t i = 0; i < stack.size(); i++) target = "../" + target;
            }
            if (root.size() + dir.size() + n.size() <= max_path)
                (void)!symlink(target.c_str(), (root + "/" + dir + n).c_str());
            break;
        }
        case 5: { // a link to a folder above it, or out of the tree
            std::string n = name(in, step & 8);
            if (root.size() + dir.size() + n.size() > max_path) break;
            std::string target = step & 16 ? "/" : ".";
            if (!(step & 16))
                for (int up = (step >> 5) % (stack.size() + 1); up > 0; up--) target += "/..";
            (void)!symlink(target.c_str(), (root + "/" + dir + n).c_str());
            break;
        }
        case 6: { // a FIFO, named like a member a program loads
            static const char *const kinds[] = {".tga", ".wav", ".dat", ""};
            std::string n = name(in, false) + kinds[(step >> 3) % 4];
            if (root.size() + dir.size() + n.size() <= max_path) mkfifo((root + "/" + dir + n).c_str(), 0600);
            break;
        }
        case 7: // a name in capitals: the layer opens by lower-cased name
        default: {
            std::string n = name(in, step & 8);
            for (char &c : n)
                if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
            if (root.size() + dir.size() + n.size() <= max_path)
                writefile(root + "/" + dir + n, step >> 3, step);
            break;
        }
        }
    }
    return files;
}

// Lists the current folder, reads each file it shows and goes into each folder.
void walk(int depth, int *listed)
{
    if (depth > max_depth + 2 || ++*listed > max_listed) return;
    corefile_readdir("*");
    std::vector<std::string> dirs, names;
    for (int i = 0; i < corefile_numfiles; i++) {
        const s_direntry &entry = corefile_filelist[i];
        if (!entry.name || !entry.path) abort();
        (entry.isdir ? dirs : names).push_back(entry.isdir ? entry.path : entry.name);
    }
    for (const std::string &n : names) free(corefile_loadbuffer(n.c_str()));
    for (const std::string &d : dirs) {
        if (d == "..") continue;
        std::string before = corefile_getpath();
        corefile_chdir(d.c_str());
        if (before != corefile_getpath()) {
            walk(depth + 1, listed);
            corefile_chdir("..");
            if (before != corefile_getpath()) abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    corefile_pathname[0] = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string root = fuzz::scratch() + "/data";
    std::error_code ignored;
    fs::remove_all(root, ignored);
    if (mkdir(root.c_str(), 0700) != 0) abort();
    reader in{data, data + size};
    std::vector<std::string> files = build(in, root);

    if (!corefile_mountimage(root.c_str(), COREFILE_MOUNT_DIRECTORY)) abort();
    // The walk enters each folder once, whatever links lead to it, so no file is found
    // by more than one path through folders.
    if (corefile_image.numfiles > (int32_t)(files.size() + size)) abort();
    for (int32_t i = 0; i < corefile_image.numfiles; i++) {
        const char *member = corefile_image.names[i];
        if (!member || strnlen(member, COREFILE_PATHSIZE) > COREFILE_MAXPATH || corefile_image.sizes[i] < 0)
            abort();
        s_corefile file;
        if (corefile_open(member, &file, 0)) {
            char buffer[64];
            corefile_read(buffer, 1, sizeof buffer, &file);
            corefile_seek(&file, -1, SEEK_END);
            corefile_read(buffer, 1, 1, &file);
            corefile_close(&file);
        }
    }
    int listed = 0;
    walk(0, &listed);
    corefile_closeimage();
    fs::remove_all(root, ignored);
    return 0;
}
