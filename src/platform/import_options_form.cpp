#include "platform/import_options_form.h"

#include <cmath>
#include <cstdio>
#include <iterator>

#include "util/text_format.h"

namespace quorvel {

std::string formatOptionNumber(float value) { return formatText("%g", static_cast<double>(value)); }

std::optional<float> scanOptionNumber(const std::string& text) {
  float value = 0.0f;
  if (std::sscanf(text.substr(0, 255).c_str(), "%f", &value) != 1) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

float sanitizedScale(float scale) {
  scale = std::fabs(scale);
  // NaN compares false as well: it becomes 1 too.
  if (!(scale >= 1e-8f)) scale = 1.0f;
  return scale;
}

ImportOptionsForm importOptionsForm(const ImportOptions& options) {
  ImportOptionsForm form;
  form.x = formatOptionNumber(options.XOffset);
  form.y = formatOptionNumber(options.YOffset);
  form.z = formatOptionNumber(options.ZOffset);
  form.scale = formatOptionNumber(options.Scale);
  for (size_t i = 0; i < kImportCheckBoxes.size(); ++i) form.boxes[i] = options.*kImportCheckBoxes[i].member;
  return form;
}

bool acceptImportOptionsForm(ImportOptions& options, const ImportOptionsForm& form, size_t* badEdit) {
  const std::pair<const std::string*, float*> edits[] = {{&form.x, &options.XOffset},
                                                         {&form.y, &options.YOffset},
                                                         {&form.z, &options.ZOffset},
                                                         {&form.scale, &options.Scale}};
  for (size_t i = 0; i < std::size(edits); ++i) {
    std::optional<float> value = scanOptionNumber(*edits[i].first);
    if (!value) {
      if (badEdit) *badEdit = i;
      return false;
    }
    *edits[i].second = *value;
  }
  for (size_t i = 0; i < kImportCheckBoxes.size(); ++i) options.*kImportCheckBoxes[i].member = form.boxes[i];
  options.Scale = sanitizedScale(options.Scale);
  return true;
}

}  // namespace quorvel
