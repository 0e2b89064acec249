// The options of an import as the Import Options dialog shows and edits
// them: the numbers, the check boxes and the texts of the form. Every
// interface (dialog, terminal form, batch flags) goes through this model.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace quorvel {

struct ImportOptions {
  float XOffset = 0.0f;
  float YOffset = 0.0f;
  float ZOffset = 0.0f;
  float Scale = 1.0f;
  bool UseExtImportScale = false;
  bool AddExtImportScale = false;
  bool ReplaceMeshes = false;
  bool ReplaceInstances = false;
  bool NormalizeTextureNames = true;
};

// One check box of the dialog: its settings key, its member and its control.
struct ImportCheckBox {
  const char* key;
  bool ImportOptions::*member;
  int control;
  bool defaultValue;
};
// In the dialog's order; the dialog and the settings file both walk it.
// constexpr so the Win32 dialog can check the ids against its template.
inline constexpr std::array<ImportCheckBox, 5> kImportCheckBoxes = {{
    {"UseExtImportScale", &ImportOptions::UseExtImportScale, 1022, false},
    {"AddExtImportScale", &ImportOptions::AddExtImportScale, 1023, false},
    {"ReplaceMeshes", &ImportOptions::ReplaceMeshes, 1024, false},
    {"ReplaceInstances", &ImportOptions::ReplaceInstances, 1025, false},
    {"NormalizeTextureNames", &ImportOptions::NormalizeTextureNames, 1028, true},
}};

// The texts of the dialog's four edits and the state of its boxes (in the
// order of kImportCheckBoxes).
struct ImportOptionsForm {
  std::string x, y, z, scale;
  std::array<bool, 5> boxes{};
};

// The form as the dialog opens: numbers with "%g", boxes ticked when set.
ImportOptionsForm importOptionsForm(const ImportOptions& options);
// A number as the dialog and the settings file show it ("%g").
std::string formatOptionNumber(float value);
// One number scanned with "%f"; nothing when the text does not start with one
// or when it is not finite ("nan", "inf", "1e999"): such a value would move
// every imported position to nowhere.
std::optional<float> scanOptionNumber(const std::string& text);
// Always positive, and 1.0 when its size is below 1e-8.
float sanitizedScale(float scale);

// The dialog's OK: reads the edits in the order x, y, z, scale; the first
// that is not a number stops the reading (false: the dialog shows "Please
// enter numeric values" and stays open, the numbers read before it keep
// their new values, and `badEdit`, when given, receives the index of that
// edit, 0..3, so the dialog can focus it). Otherwise sets the boxes and the
// sanitized scale.
bool acceptImportOptionsForm(ImportOptions& options, const ImportOptionsForm& form,
                             size_t* badEdit = nullptr);

}  // namespace quorvel
