// Reading a whole text file as the C library's text mode would deliver it.
#pragma once

#include <optional>
#include <string>

namespace quorvel {

// The file's text with each "\r\n" turned into "\n", or nothing when the
// file cannot be opened for reading.
std::optional<std::string> readTextFile(const std::string& path);

// `path` with the extension of its file name (from the last "." on) replaced
// by `suffix`: "Crate.tpm" -> "Crate.values.txt". A "." inside a folder
// name is not an extension.
std::string replaceExtension(const std::string& path, const std::string& suffix);

}  // namespace quorvel
