// Checks that keep image files away from faults of the stb_image version the
// build installs (Debian 12 ships 2.27) before it decodes them. Each check
// refuses only files that are corrupt anyway.
#pragma once

#include <span>

// False when the bytes hold something the decoder is known to mishandle.
bool IsSafeToDecode(std::span<const unsigned char> bytes);
