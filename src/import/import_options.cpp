#include "import/import_options.h"

#include "platform/profile_store.h"
#include "platform/profile_values.h"

namespace quorvel {

namespace {

constexpr const char* kSection = "Import3ds";

}  // namespace

ImportOptions loadImportOptions(ProfileStore& settings) {
  ImportOptions options;
  options.XOffset = readFloatSetting(settings, kSection, "XOffset", 0.0f);
  options.YOffset = readFloatSetting(settings, kSection, "YOffset", 0.0f);
  options.ZOffset = readFloatSetting(settings, kSection, "ZOffset", 0.0f);
  options.Scale = readFloatSetting(settings, kSection, "Scale", 1.0f);
  for (const ImportCheckBox& box : kImportCheckBoxes)
    options.*box.member = settings.readInt(kSection, box.key, box.defaultValue ? 1 : 0) != 0;
  return options;
}

void storeImportOptions(ProfileStore& settings, const ImportOptions& options) {
  writeFloatSetting(settings, kSection, "XOffset", options.XOffset);
  writeFloatSetting(settings, kSection, "YOffset", options.YOffset);
  writeFloatSetting(settings, kSection, "ZOffset", options.ZOffset);
  writeFloatSetting(settings, kSection, "Scale", options.Scale);
  for (const ImportCheckBox& box : kImportCheckBoxes)
    settings.writeString(kSection, box.key, options.*box.member ? "1" : "0");
}

}  // namespace quorvel
