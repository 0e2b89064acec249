// Writes a small textured 3DS model with the 3DS library's own writer: the
// sample model of the bundled sample level and a fixture of the 3DS tests.
#pragma once

#include <string>

namespace quorvel::testing_support {

// A cube "Crate" of 8 points and 12 faces with a texture coordinate per
// point, all faces of material "Crate" whose texture map 1 is `bitmapName`,
// and one object node placing it at (0, 0, 0). False when the 3DS library is
// missing or the file cannot be written.
bool writeSample3ds(const std::string& path, const std::string& bitmapName);

}  // namespace quorvel::testing_support
