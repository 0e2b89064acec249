// The options of an import, kept for the whole run and stored in section
// "Import3ds" of the settings file.
#pragma once

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

}  // namespace quorvel
