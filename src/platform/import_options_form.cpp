#include "platform/import_options_form.h"

#include <cmath>
#include <cstdio>

#include "platform/win32_dialog_ids.h"

namespace quorvel {

const std::array<ImportOptionsCheckRow, 5> kImportOptionsCheckRows = {{
    {IDC_USE_EXT_IMPORT_SCALE, &ImportOptions::UseExtImportScale},
    {IDC_ADD_EXT_IMPORT_SCALE, &ImportOptions::AddExtImportScale},
    {IDC_REPLACE_MESHES, &ImportOptions::ReplaceMeshes},
    {IDC_REPLACE_INSTANCES, &ImportOptions::ReplaceInstances},
    {IDC_NORMALIZE_TEXTURE_NAMES, &ImportOptions::NormalizeTextureNames},
}};

const std::array<int, 4> kImportOptionsEditIds = {IDC_OFFSET_X, IDC_OFFSET_Y, IDC_OFFSET_Z,
                                                  IDC_SCALE};

std::string formatImportNumber(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

size_t applyImportOptionsForm(ImportOptions& options, const std::array<std::string, 4>& edits,
                              const std::array<bool, 5>& checks) {
  float ImportOptions::*const numbers[4] = {&ImportOptions::XOffset, &ImportOptions::YOffset,
                                            &ImportOptions::ZOffset, &ImportOptions::Scale};
  for (size_t i = 0; i < edits.size(); ++i) {
    float value = 0.0f;
    // "%f" also takes "nan" and "inf", which would wreck every imported
    // position; they count as not numeric.
    if (std::sscanf(edits[i].c_str(), "%f", &value) != 1 || !std::isfinite(value)) return i;
    options.*numbers[i] = value;
  }
  for (size_t i = 0; i < kImportOptionsCheckRows.size(); ++i)
    options.*kImportOptionsCheckRows[i].member = checks[i];
  options.Scale = std::fabs(options.Scale);
  if (options.Scale < 1e-8f) options.Scale = 1.0f;
  return edits.size();
}

}  // namespace quorvel
