// The names file beside a 3DS model ("Crate.names.txt"): lines of a name and
// its replacement, used to rename objects and textures while the model is
// converted. It applies only to its own model.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace quorvel {

class MessageSink;

class NamesFile {
 public:
  // Empties both maps, then reads the names file of the model at `modelPath`,
  // reporting its path; silent when there is none.
  void read(const std::string& modelPath, MessageSink& log);
  // Fills the maps from the text of a names file (after clear()).
  void readText(std::string_view text);
  void clear();

  // The replacement of exactly this name, or "" when it stays.
  std::string lookupName(const std::string& name) const;
  // The replacement of the name in lower case (A-Z only), or "".
  std::string lookupNameIgnoreCase(const std::string& name) const;

 private:
  std::map<std::string, std::string> exact_;
  std::map<std::string, std::string> lowerCase_;
};

std::string namesFilePath(const std::string& modelPath);

}  // namespace quorvel
