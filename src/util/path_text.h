// Paths as text: the game's paths use "\\", the platform's may use "/", and
// both are taken as separators everywhere.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

bool isSeparator(char c);
bool endsWithSeparator(std::string_view path);
// The folder of a path, up to and including its last separator; "" without one.
std::string folderPart(std::string_view path);
// What follows the last separator; the whole path without one.
std::string fileNamePart(std::string_view path);
// A path that starts at a root or with a drive ("C:").
bool isAbsolutePath(std::string_view path);
// `path` itself when absolute, else `path` inside `base`.
std::string absolutePath(const std::string& path, const std::string& base);

}  // namespace quorvel
