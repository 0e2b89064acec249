// Batch options of the texture update and of the Import Options dialog.
#include <deque>
#include <filesystem>

#include "commands.h"
#include "app/actions/import_options_dialog.h"
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
};

std::deque<ImportOptionFlags>& importOptionFlags() {
  static std::deque<ImportOptionFlags> flags;
  return flags;
}

struct UpdateSwpOptions {
  std::string textures;
  bool yes = false;
};

std::deque<UpdateSwpOptions>& updateSwpOptions() {
  static std::deque<UpdateSwpOptions> options;
  return options;
}

void addSwitch(CLI::App* command, const std::string& name, std::optional<bool>& target, const std::string& help) {
  command->add_flag_function(
      "--" + name + ",!--no-" + name, [&target](int64_t count) { target = count > 0; }, help);
}

}  // namespace

void addImportOptionFlags(ActionCommand& action) {
  ImportOptionFlags& flags = importOptionFlags().emplace_back();
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
  action.prepare.push_back([&flags](ScriptedUserInterface& ui, AppContext&) {
    ui.queueImportOptions(true, [&flags](ImportOptions& options) {
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

void addUpdateSwpOptions(ActionCommand& action) {
  UpdateSwpOptions& options = updateSwpOptions().emplace_back();
  action.command->add_option("--textures", options.textures,
                             "Folder of the texture bitmaps (or any file in it)");
  action.command->add_flag("--yes", options.yes, "Update the PID and SWP even when textures were not found");
  action.prepare.push_back([&options](ScriptedUserInterface& ui, AppContext&) {
    if (!options.textures.empty()) {
      std::string path = absolutePath(options.textures, currentDirectory());
      // A folder stands for a file in it: the dialog's answer is a file.
      if (std::filesystem::is_directory(resolvePath(path)) && !endsWithSeparator(path)) path += "/";
      ui.queueFile(path);
    }
    if (options.yes) ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
  });
}

}  // namespace quorvel
