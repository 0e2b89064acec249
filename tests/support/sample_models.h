// The sample models beside the bundled sample level, one of each kind the
// import reads: a GRF model, a 3DS model written by lib3ds (with a names
// file and a value file), a TPM model in each of its two formats, and their
// 8-bit and 24-bit BMP textures. Made by the program's own writers (and
// lib3ds for the 3DS file); the TPM files are text.
#pragma once

#include <string>
#include <vector>

namespace quorvel::testing_support {

// The files written, in the order written.
std::vector<std::string> sampleModelFiles();

// Writes every sample model file into `folder` (ending in a separator).
// False when a file could not be written.
bool writeSampleModels(const std::string& folder);

}  // namespace quorvel::testing_support
