// The one translation unit that compiles the stb image decoder and resampler.
// Only the formats the game's textures come in are decoded.
#include <cstdlib>

#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
#define STBI_NO_FAILURE_STRINGS
// The decoder's memory comes zeroed. A JPEG that fails after its frame header
// (a bad table, image data that never comes) still decodes, to texels the
// decoder never wrote: with malloc, whatever the heap held before.
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(block, size) std::realloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
