// Writes a model document in the Metasequoia text format 1.0, restricted to
// what the game's reader uses, with a scene chunk and the end marker as
// documents saved by the modeller carry them.
#pragma once

#include <string>

#include "document.h"

namespace assetgen {

// The whole document text, CR LF line ends, numbers in fixed notation so the
// same document always gives the same bytes.
std::string WriteDocument(const Document& document);

// Fixed-point text of a number with this many decimals; never "-0".
std::string FormatNumber(float value, int decimals);

} // namespace assetgen
