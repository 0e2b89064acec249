// The two name lists of the program folder ("Quorvel.knownvalues.txt",
// "Quorvel.ignoretextures.txt") and the spelling correction of value names.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "values/value.h"

namespace quorvel {

class MessageLog;
class UserInterface;

// Distinct entries ordered by their bytes.
using NameList = std::set<std::string>;

// Empties `list` and fills it from the file; a missing file shows a box and
// leaves the list empty.
void loadNameList(const std::string& path, NameList& list, MessageLog& log, UserInterface& ui);

class KnownValues {
 public:
  NameList names;
  std::vector<std::string> patterns;  // entries holding "%", in list order
  std::map<std::string, std::string> lowerMap;  // lower case -> as written
  std::vector<std::pair<std::string, std::string>> lowerPatterns;

  void build();
  bool isKnown(const std::string& name) const;
  // Corrects the letter case of the names in a value tree (members first).
  void normalizeValueNames(Value& value) const;
};

}  // namespace quorvel
