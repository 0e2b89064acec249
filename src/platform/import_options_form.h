// The Import Options dialog's form, apart from any window: the texts the
// edits show and the rules that turn what the user entered back into
// `ImportOptions`.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "import/import_options.h"

namespace quorvel {

// One check box of the form: its control id and the member it edits, in the
// order the settings file lists them.
struct ImportOptionsCheckRow {
  int controlId;
  bool ImportOptions::*member;
};
extern const std::array<ImportOptionsCheckRow, 5> kImportOptionsCheckRows;

// The edit ids in reading order: x, y, z, scale.
extern const std::array<int, 4> kImportOptionsEditIds;

// A number as its edit shows it ("%g").
std::string formatImportNumber(float value);

// Applies the four edit texts (x, y, z, scale) and the check boxes to
// `options`. Each text must scan as a finite number with "%f"; the first
// that does not stops the reading and is returned as its index (0..3), leaving the
// numbers before it updated and the rest, and the check boxes, unchanged.
// On success returns 4: the check boxes are taken, the scale becomes its
// absolute value, and 1.0 when that is below 1e-8.
size_t applyImportOptionsForm(ImportOptions& options, const std::array<std::string, 4>& edits,
                              const std::array<bool, 5>& checks);

}  // namespace quorvel
