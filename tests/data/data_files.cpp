#include "data_files.h"

#include <cstring>
#include <fstream>

#include <stb_image.h>

std::string data_path(const std::string &name) { return std::string(DATA_DIR) + "/" + name; }

std::vector<uint8_t> read_bytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    if (!f) return {};
    std::vector<uint8_t> bytes(size_t(f.tellg()));
    f.seekg(0);
    f.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    return f ? bytes : std::vector<uint8_t>();
}

bool parse_tga_header(const std::vector<uint8_t> &f, TgaHeader &h)
{
    if (f.size() < 18) return false;
    auto u16 = [&](size_t at) { return int(f[at] | f[at + 1] << 8); };
    h = {f[0], f[1], f[2], u16(5), f[7], u16(12), u16(14), f[16], f[17]};
    return true;
}

bool decode_tga(const std::vector<uint8_t> &file, Rgba &out)
{
    int channels = 0;
    stbi_uc *p = stbi_load_from_memory(file.data(), int(file.size()), &out.width, &out.height, &channels, 4);
    if (!p) return false;
    out.px.assign(p, p + size_t(out.width) * out.height * 4);
    stbi_image_free(p);
    return true;
}

std::vector<std::string> caption_lines()
{
    std::ifstream f(CAPTIONS_FILE);
    std::vector<std::string> lines;
    for (std::string s; std::getline(f, s);) lines.push_back(s);
    return lines;
}
