// `quorvel import` and `quorvel import-dir`: the options of the Import
// Options dialog, starting from the stored settings.
#include <array>
#include <memory>
#include <optional>

#include <filesystem>

#include "commands.h"
#include "import/import_options.h"
#include "platform/file_system.h"
#include "util/path_text.h"

namespace quorvel {

namespace {

// What the command line says about the import options; unset = as stored.
struct ImportOptionFlags {
  std::optional<std::array<float, 3>> offset;
  std::optional<float> scale;
  std::optional<bool> replaceMeshes, replaceInstances, useExtImportScale, addExtImportScale, normalizeTextureNames;
  // The answers to the questions of the action.
  std::string model;  // the model file, or for import-dir the folder (or any file in it)
  bool yes = false;
  bool addUnusedInstances = false;
  bool replaceTextures = false;
};

void addSwitch(CLI::App* command, const std::string& name, std::optional<bool>& target, const std::string& help) {
  command->add_flag_function(
      "--" + name + ",!--no-" + name, [&target](int64_t count) { target = count > 0; }, help);
}

}  // namespace

void addImportOptions(ActionCommand& action, bool directoryMode) {
  auto shared = std::make_shared<ImportOptionFlags>();
  ImportOptionFlags& flags = *shared;
  CLI::App* command = action.command;
  command
      ->add_option_function<std::string>(
          "--offset",
          [&flags](const std::string& text) {
            std::array<float, 3> xyz{};
            size_t start = 0;
            for (size_t i = 0; i < 3; ++i) {
              const size_t comma = text.find(',', start);
              if ((i < 2) == (comma == std::string::npos)) throw CLI::ValidationError("--offset", "expected X,Y,Z");
              std::optional<float> value = scanOptionNumber(text.substr(start, comma - start));
              if (!value) throw CLI::ValidationError("--offset", "Please enter numeric values");
              xyz[i] = *value;
              start = comma + 1;
            }
            flags.offset = xyz;
          },
          "Amount to offset imported object positions by")
      ->type_name("X,Y,Z");
  command
      ->add_option_function<std::string>(
          "--scale",
          [&flags](const std::string& text) {
            std::optional<float> value = scanOptionNumber(text);
            if (!value) throw CLI::ValidationError("--scale", "Please enter numeric values");
            flags.scale = *value;
          },
          "Scale factor")
      ->type_name("S");
  addSwitch(command, "replace-meshes", flags.replaceMeshes, "Replace existing meshes");
  addSwitch(command, "replace-instances", flags.replaceInstances, "Replace existing instances");
  addSwitch(command, "use-ext-import-scale", flags.useExtImportScale,
            "When replacing objects, use the stored scale factor if it exists");
  addSwitch(command, "add-ext-import-scale", flags.addExtImportScale,
            "Save scale factor to new object TScript (ext_ImportScale)");
  addSwitch(command, "normalize-texture-names", flags.normalizeTextureNames,
            "Convert texture names to form \"Map\\<LevelName>\\<FileName.bmp>\"");
  if (directoryMode) {
    command->add_option("DIR", flags.model, "The import folder, or any file in it")->required();
  } else {
#ifdef QUORVEL_HAVE_ASSIMP
    command->add_option("MODEL", flags.model, "The model file (.grf, .3ds, .tpm, .gltf, .glb, .obj, .fbx or .dae)")
        ->required();
#else
    command->add_option("MODEL", flags.model, "The model file (.grf, .3ds or .tpm)")->required();
#endif
  }
  command->add_flag("--yes", flags.yes, "Save the level (without it the save question is answered No)");
  command->add_flag("--add-unused-instances", flags.addUnusedInstances,
                    "Add instances at <0,0,0> for the level's meshes that no instance uses");
  command->add_flag("--replace-textures", flags.replaceTextures,
                    "Replace the textures the level's texture store already has");
  action.prepare.push_back([shared, directoryMode](ScriptedUserInterface& ui, AppContext&) {
    std::string path = absolutePath(shared->model, currentDirectory());
    // A folder stands for a file in it: the dialog's answer is a file.
    if (directoryMode && std::filesystem::is_directory(resolvePath(path)) && !endsWithSeparator(path)) path += "/";
    ui.queueFile(path);
    if (shared->yes) ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
    if (shared->addUnusedInstances) ui.setStandingAnswer("Confirm", Answer::Yes);
    // The one yes/no question of an import under the program's own caption.
    if (shared->replaceTextures) ui.setStandingAnswer("Quorvel", Answer::Yes);
    ui.queueImportOptions(true, [shared](ImportOptions& options) {
      const ImportOptionFlags& flags = *shared;
      if (flags.offset) {
        options.XOffset = (*flags.offset)[0];
        options.YOffset = (*flags.offset)[1];
        options.ZOffset = (*flags.offset)[2];
      }
      if (flags.scale) options.Scale = *flags.scale;  // runImportOptions sanitizes it
      if (flags.replaceMeshes) options.ReplaceMeshes = *flags.replaceMeshes;
      if (flags.replaceInstances) options.ReplaceInstances = *flags.replaceInstances;
      if (flags.useExtImportScale) options.UseExtImportScale = *flags.useExtImportScale;
      if (flags.addExtImportScale) options.AddExtImportScale = *flags.addExtImportScale;
      if (flags.normalizeTextureNames) options.NormalizeTextureNames = *flags.normalizeTextureNames;
    });
  });
}

}  // namespace quorvel
