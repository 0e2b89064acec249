#include "verify/verify_level.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "level/level_location.h"
#include "platform/file_system.h"
#include "textures/texture_database.h"
#include "util/byte_io.h"
#include "util/text_format.h"
#include "values/value_rules.h"
#include "verify/mesh_limits.h"
#include "verify/mesh_tally.h"

namespace quorvel {

namespace {

// The part of an instance name its mesh name must begin with: the name
// without a trailing "-" and digits ("Rock-12" -> "Rock").
std::string_view instanceStem(std::string_view name) {
  const size_t dash = name.rfind('-');
  if (dash == std::string_view::npos) return name;
  for (char c : name.substr(dash + 1))
    if (c < '0' || c > '9') return name;
  return name.substr(0, dash);
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         equalsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Occluders are invisible by their texture, so they may be type 1 geometry.
bool isOccluder(const Mesh& mesh) {
  static constexpr std::string_view kOccluderTexture = "SOccludet2.bmp";
  if (mesh.materials.size() != 1) return false;
  const std::string& colorMap = mesh.materials.front().colorMap;
  return colorMap.size() > kOccluderTexture.size() &&
         endsWithIgnoringCase(colorMap, kOccluderTexture);
}

// Whether the entry's last byte, (height - 1) * pitch + row bytes + offset,
// lies beyond `size`. Worked out without overflow, so that no entry of a
// damaged PID can wrap round to a small end.
bool endsPast(const TextureEntry& entry, uint64_t size) {
  const uint64_t rowBytes = static_cast<uint64_t>(entry.bitsPerPixel / 8) * entry.width + entry.offset;
  if (entry.height == 0) return rowBytes > size + entry.pitch;  // the end lies one pitch back
  const uint64_t rows = static_cast<uint64_t>(entry.height - 1) * entry.pitch;
  return rows > size || rowBytes > size - rows;
}

bool isHidden(const ValueTable* table) { return isBool(table, "Visible", false); }

class VerificationRun {
 public:
  VerificationRun(MessageSink& sink, const SceneFile& scene, const LevelFiles& files,
                  const KnownValues& knownValues, const NameList& ignoredTextures)
      : scene_(scene), files_(files), knownValues_(knownValues), ignoredTextures_(ignoredTextures),
        report_(sink) {}

  VerificationResult run(bool sceneReadable) {
    writeHeader();
    if (!checkFiles()) return finish(false);
    if (!sceneReadable)
      report_.line("ERROR: GRF \"%s\" could not be read as a scene file\n",
                   files_.grfPath.c_str());
    checkNames();
    checkInstances();
    checkMeshes();
    checkValues();
    if (havePid_) checkPid();
    if (!files_.swpPath.empty()) checkSwpAndSpz();
    report_.line("Finished verification.\n\n");
    return finish(true);
  }

 private:
  VerificationResult finish(bool completed) {
    VerificationResult result;
    result.completed = completed;
    result.counts = report_.counts();
    return result;
  }

  void writeHeader() {
    report_.line("\nVerifying level...\n");
    report_.line("    Name: \"%s\"\n", files_.name.c_str());
    report_.line("    SCN: \"%s\"\n", files_.scnPath.c_str());
    report_.line("    GRF: \"%s\"\n", files_.grfPath.c_str());
    report_.line("    PID: \"%s\"\n", files_.pidPath.c_str());
    report_.line("    SWP: \"%s\"\n", files_.swpPath.c_str());
    report_.line("    SPZ: \"%s\"\n", files_.spzPath.c_str());
  }

  // False when the GRF is missing: nothing else can be checked then.
  bool checkFiles() {
    const auto missing = [](const std::string& path) {
      return !path.empty() && !canOpenForReading(path);
    };
    if (missing(files_.scnPath))
      report_.line("ERROR: SCN not found at \"%s\"\n", files_.scnPath.c_str());
    if (missing(files_.grfPath)) {
      report_.line("ERROR: GRF not found at \"%s\"\n", files_.grfPath.c_str());
      return false;
    }
    if (missing(files_.pidPath))
      report_.line("ERROR: PID not found at \"%s\"\n", files_.pidPath.c_str());
    if (missing(files_.swpPath))
      report_.line("ERROR: SWP not found at \"%s\"\n", files_.swpPath.c_str());
    return true;
  }

  void checkNames() {
    const std::string& levelName = files_.name;
    const std::string swpName = levelNameOf(files_.swpPath);
    if (levelNameOf(files_.grfPath) != levelName ||
        (!swpName.empty() && swpName != levelName) ||
        levelNameOf(files_.pidPath) != levelName)
      report_.line("ERROR: GRF, PID and SWP names don't match.\n");
  }

  void checkInstances() {
    report_.line("  Verifying instances...\n");
    for (const auto& instancePointer : scene_.instances) {
      const Instance& instance = *instancePointer;
      if (instance.name.empty()) report_.line("ERROR: Instance has no name\n");
      if (const Mesh* mesh = instance.mesh) {
        const std::string_view stem = instanceStem(instance.name);
        if (std::string_view(mesh->name).substr(0, stem.size()) != stem)
          report_.line("Instance name %s does not match its mesh name %s\n",
                       instance.name.c_str(), mesh->name.c_str());
        MeshTally::Entry& tally = meshTally_.at(mesh);
        if (!tally.used) usedInOrder_.push_back(mesh);
        tally.used = true;
        const int count = tally.copies;
        if (count == 0)
          report_.line("Mesh of instance %s is not in meshes\n", instance.name.c_str());
        else if (count > 1)
          report_.line("Mesh %s has multiple copies in meshes\n", mesh->name.c_str());
      } else {
        report_.line("Instance %s has no mesh\n", instance.name.c_str());
      }
      // Written this way round so that a NaN scale is reported too.
      if (!(static_cast<double>(instance.scale) > 0.000001))
        report_.line("WARNING: Instance %s has zero or negative scale.\n", instance.name.c_str());
    }
  }

  void checkMeshes() {
    report_.line("  Verifying meshes...\n");
    for (const auto& meshPointer : scene_.meshes) {
      const Mesh& mesh = *meshPointer;
      const ValueTable* table = mesh.values.get();
      if (!meshTally_.used(&mesh)) report_.line("Mesh %s is not used\n", mesh.name.c_str());
      if (mesh.name.empty()) report_.line("ERROR: Mesh has no name\n");
      if (table && table->name != mesh.name)
        report_.line("NOTE: By convention, mesh name \"%s\" should match it's value name \"%s\"\n",
                     mesh.name.c_str(), table->name.c_str());

      const std::string meshClass = getClass(table);
      if ((meshClass == "CInstance" || meshClass == "CGun" || meshClass.empty()) &&
          mesh.layout == MeshLayout::FaceLists && !mesh.name.starts_with("$") &&
          !isHidden(table) && !hasChild(table, "Mesh") && !isOccluder(mesh))
        report_.line(
            "ERROR: Type1 geometry \"%s\" can't be visible (make it a '$' object or set \"bool "
            "Visible = false\")\n",
            mesh.name.c_str());
      if (meshClass == "CTerrainObj") {
        bool missingTexture = mesh.materials.empty();
        for (const Material& material : mesh.materials)
          if (material.colorMap.empty()) missingTexture = true;
        if (missingTexture)
          report_.line("WARNING: CTerrainObj \"%s\" is missing some textures\n", mesh.name.c_str());
      }
      checkMeshLimits(report_, mesh);
    }
  }

  void checkValues() {
    report_.line("  Verifying values...\n");
    ValueCheckContext values(report_, scene_, knownValues_, files_.name);
    for (const Mesh* mesh : usedInOrder_)
      if (mesh->values) checkInstanceReferences(values, *mesh->values);

    havePid_ = textures_.read(files_.pidPath);
    values.useTextureDatabase(havePid_ ? &textures_ : nullptr);
    for (const Mesh* mesh : usedInOrder_)
      if (mesh->values) checkClassRules(values, *mesh->values);

    if (values.skyCount == 0)
      report_.line("ERROR: No class CSky found\n");
    else if (values.skyCount > 1)
      report_.line("NOTE: Multiple classes CSky found\n");
    if (values.terrainPlacementCount == 0)
      report_.line("ERROR: No class TerrainPlacement found\n");
    else if (values.terrainPlacementCount > 1)
      report_.line("WARNING: Multiple classes TerrainPlacement found\n");
    if (values.playerCount == 0)
      report_.line("ERROR: No class Player found\n");
    else if (values.playerCount > 1)
      report_.line("WARNING: Multiple classes Player found\n");
  }

  void checkPid() {
    report_.line("  Verifying PID...\n");
    report_.line("    Used %.1fMB of %.1fMB available primary texture space\n",
                 textures_.primaryUsed * 0.000001, textures_.primaryLimit * 0.000001);
    report_.line("    Used %d of %d available palettes\n", static_cast<int>(textures_.palettes.size()),
                 static_cast<int>(kPaletteHandleCount));

    // Sorted, so that each material's lookup stays within one small array.
    std::vector<uint32_t> knownIds;
    knownIds.reserve(textures_.entries.size());
    for (size_t i = 0; i < textures_.entries.size(); ++i) {
      const TextureEntry& entry = textures_.entries[i];
      knownIds.push_back(entry.textureId);
      if (entry.occlusion != 0 && entry.occlusion != kOcclusionFlag)
        report_.line("WARNING: Unexpected PID occlusion value in entry %d.\n", static_cast<int>(i));
    }
    std::sort(knownIds.begin(), knownIds.end());

    bool ignoredNoteArmed = true;
    for (const auto& meshPointer : scene_.meshes) {
      const Mesh& mesh = *meshPointer;
      const ValueTable* table = mesh.values.get();
      if (isHidden(table) || isString(table, "Mesh") || getClass(table) == "CMagnet" ||
          mesh.name.starts_with("$"))
        continue;
      const float diffuse = diffuseFactor(table);
      for (const Material& material : mesh.materials) {
        if (material.colorMap.empty()) continue;
        if (std::binary_search(knownIds.begin(), knownIds.end(),
                               textureId(diffuse, material.colorMap, material.bumpMap)))
          continue;
        if (!ignoredTextures_.contains(material.colorMap)) {
          if (!material.bumpMap.empty())
            report_.line("WARNING: PID might be missing texture \"%s\" (bumpmap \"%s\") in mesh %s\n",
                         material.colorMap.c_str(), material.bumpMap.c_str(), mesh.name.c_str());
          else
            report_.line("WARNING: PID might be missing texture \"%s\" in mesh %s\n",
                         material.colorMap.c_str(), mesh.name.c_str());
        } else if (ignoredNoteArmed) {
          report_.line(
              "NOTE: Some textures known to cause verification problems were ignored. (see file "
              "\"Quorvel.ignoretextures.txt\")\n");
          ignoredNoteArmed = false;
        }
      }
    }
  }

  void checkSwpAndSpz() {
    report_.line("  Verifying SWP and SPZ...\n");
    const bool spzPresent = !files_.spzPath.empty() && canOpenForReading(files_.spzPath);
    const std::optional<uint64_t> swpSize = fileSize(files_.swpPath);
    if (!canOpenForReading(files_.swpPath) || !swpSize) return;

    int64_t size = static_cast<int64_t>(*swpSize);
    if (spzPresent) {
      FILE* spz = openFile(files_.spzPath, "rb");
      if (!spz) return;
      uint8_t word[4];
      const bool haveWord = std::fread(word, 1, sizeof word, spz) == sizeof word;
      std::fclose(spz);
      // An SPZ too short to hold the size cannot match either; the extent
      // check then goes by the SWP.
      if (!haveWord || decodeU32(word) != *swpSize)
        report_.line(
            "WARNING: SWP file will be overwritten.\n         (Size at beginning of SPZ does not "
            "match size of SWP file)\n");
      if (haveWord) size = decodeU32(word);
    }
    if (size < 1 || !havePid_) return;

    int pastEnd = 0;
    for (const TextureEntry& entry : textures_.entries)
      if (endsPast(entry, static_cast<uint64_t>(size))) ++pastEnd;
    if (pastEnd > 0)
      report_.line("ERROR: %d PID entries extended past end of %s\n", pastEnd,
                   spzPresent ? "SPZ" : "SWP");
  }

  const SceneFile& scene_;
  const LevelFiles& files_;
  const KnownValues& knownValues_;
  const NameList& ignoredTextures_;
  ReportWriter report_;
  MeshTally meshTally_{scene_.meshes};
  std::vector<const Mesh*> usedInOrder_;  // in the order instances first use them
  TextureDatabase textures_;
  bool havePid_ = false;
};

}  // namespace

VerificationResult writeVerificationReport(MessageSink& sink, const SceneFile& scene, const LevelFiles& files,
                                           const KnownValues& knownValues, const NameList& ignoredTextures,
                                           bool sceneReadable) {
  VerificationRun run(sink, scene, files, knownValues, ignoredTextures);
  return run.run(sceneReadable);
}

}  // namespace quorvel
