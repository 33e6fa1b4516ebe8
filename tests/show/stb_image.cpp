// The independent decoder the capture's frames and the show's pictures are read with.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_ONLY_PNG
#include <stb_image.h>
