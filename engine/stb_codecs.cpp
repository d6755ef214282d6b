// The image encoder and decoder from Debian's stb headers, compiled once into the engine.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
