// Compiles platform/d3dx/d3dx_texture.cpp once more inside a namespace, with
// Debian 12's stb_image (2.27) compiled static into the same namespace and
// set up as the product's decoder was: the same formats, and zeroed memory.
// Everything the two files include comes first, outside the namespace, so
// their own includes find it already there.
#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <stb_image_resize.h>

#include "bench/texture_loading/debian12_loader.h"
#include "platform/sdk/com_release.h"
#include "platform/services/file_handle.h"
#include "platform/d3dx/image_guard.h"
#include "platform/d3dx/mip_chain.h"

namespace debian12_stb {

#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
#define STBI_NO_FAILURE_STRINGS
#define STBI_ASSERT(x) assert(x)
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(block, size) std::realloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_IMPLEMENTATION
#include <debian12_stb_image.h>
#undef STB_IMAGE_IMPLEMENTATION
// Its <stb_image.h> is skipped: the guard above is already defined.
#include "platform/d3dx/d3dx_texture.cpp"

bool DecodeToRgba(std::span<const unsigned char> bytes) {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* texels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                            &height, &channels, 4);
    stbi_image_free(texels);
    return texels != nullptr;
}

} // namespace debian12_stb
