// Matching file names against the patterns of a directory listing: "*" and
// "?" wildcards, compared without case (A to Z), several patterns joined by
// ";". Shared by the file systems of every platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

bool matchesWildcard(std::string_view name, std::string_view pattern);
// True when `name` matches one of the ";"-separated patterns (blanks around
// each are ignored).
bool matchesAnyPattern(const std::string& name, const std::string& patterns);
// Sorts a listing by name without case (A to Z), names equal without case in
// byte order, as the game's file systems list them.
void sortFileNames(std::vector<std::string>& names);

}  // namespace quorvel
