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
// The file name without its extension (from its last dot on); a name whose
// only dot is its first character is kept whole.
std::string fileStem(std::string_view path);
// Whether the path ends in `extension` (with its dot), regardless of case.
bool hasExtension(std::string_view path, std::string_view extension);
// A path that starts at a root or with a drive ("C:").
bool isAbsolutePath(std::string_view path);
// `path` itself when absolute, else `path` inside `base`.
std::string absolutePath(const std::string& path, const std::string& base);

}  // namespace quorvel
