// Feeds arbitrary text to the two list files of the program folder and the
// "%d" name patterns taken from them. The input is the list file, a NUL, and
// then one name per line: each name is looked up as a known value, has its
// letter case corrected, is matched against every pattern of the list, and
// is looked up in the list read as the ignored-textures list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/scripted_ui.h"
#include "scratch_folder.h"
#include "report/message_log.h"
#include "values/known_values.h"
#include "values/scan_pattern.h"
#include "values/value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t end = input.find('\0');
  std::string_view listText = input.substr(0, end);
  std::string_view names = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);

  static const quorvel::fuzzing::ScratchFolder folder("list_files");
  const std::string path = folder.file("list.txt");
  quorvel::fuzzing::ScratchFolder::write(path, listText);

  quorvel::ScriptedUserInterface ui(quorvel::ScriptedUserInterface::Mode::Batch);
  quorvel::MessageLog log;
  log.captureText(true);
  quorvel::KnownValues known;
  quorvel::loadNameList(path, known.names, log, ui);
  known.build();
  quorvel::NameList ignoredTextures;
  quorvel::loadNameList(path, ignoredTextures, log, ui);

  while (!names.empty()) {
    const size_t lineEnd = names.find('\n');
    const std::string name(names.substr(0, lineEnd));
    names = lineEnd == std::string_view::npos ? std::string_view{} : names.substr(lineEnd + 1);

    (void)known.isKnown(name);
    (void)ignoredTextures.count(name);
    for (const std::string& pattern : known.patterns) (void)quorvel::scanIntPattern(name, pattern);

    // Correcting the case changes letters only: the length stays.
    auto group = std::make_unique<quorvel::Value>(quorvel::ValueType::Group, name);
    group->children.push_back(std::make_unique<quorvel::Value>(quorvel::ValueType::Int, name));
    known.normalizeValueNames(*group);
    if (group->name.size() != name.size() || group->children[0]->name.size() != name.size())
      std::abort();
  }
  return 0;
}
