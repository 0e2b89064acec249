#include "tools/extract_model.h"

#include <algorithm>
#include <cctype>

#include "app/app_context.h"
#include "app/application.h"
#include "values/value.h"

namespace quorvel {

namespace {

// The longest file name the file systems of the game's platforms accept.
constexpr size_t kMaxFileNameBytes = 255;

// Step 2 and 3 of collecting: joints and magnets are added but not followed.
void addJointsAndMagnets(InstanceCollection& collection, const SceneFile& level,
                         const Instance& object) {
  const Mesh& mesh = *object.mesh;
  if (findChild(mesh.values.get(), "NumJoints")) {
    const std::string jointPrefix = "$J" + mesh.name;
    for (const auto& candidate : level.instances)
      if (candidate->name.compare(0, jointPrefix.size(), jointPrefix) == 0)
        collection.add(candidate.get());
  }
  for (const auto& candidate : level.instances) {
    const Value* table = candidate->mesh ? candidate->mesh->values.get() : nullptr;
    if (!isStringEqual(table, "Class", "CMagnet")) continue;
    if (isStringEqual(table, "MasterObject", object.name) ||
        isStringEqual(table, "SlaveObject", object.name))
      collection.add(candidate.get());
  }
}

bool isReservedDeviceName(const std::string& name) {
  // Windows opens these devices whatever the extension: "NUL.grf" is NUL.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (base == device) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '0' && base[3] <= '9')
    return true;
  return false;
}

}  // namespace

bool InstanceCollection::add(Instance* instance) {
  if (!members.insert(instance).second) return false;
  order.push_back(instance);
  return true;
}

void collectSubObjects(InstanceCollection& collection, const SceneFile& level, Instance* object) {
  // Depth first, as the links are written, but on an explicit stack: a long
  // chain of linked objects must not exhaust the call stack.
  struct Frame {
    Instance* object;
    size_t nextChild;
  };
  std::vector<Frame> stack{{object, 0}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const Value* table = frame.object->mesh ? frame.object->mesh->values.get() : nullptr;
    if (!table) {
      stack.pop_back();
      continue;
    }
    if (frame.nextChild < table->children.size()) {
      const Value* child = table->children[frame.nextChild++].get();
      if (!child || child->type != ValueType::String) continue;
      Instance* named = level.findInstance(child->text);
      if (named && collection.add(named)) stack.push_back({named, 0});
      continue;
    }
    Instance* done = frame.object;
    stack.pop_back();
    addJointsAndMagnets(collection, level, *done);
  }
}

bool isUsableModelFileName(const std::string& name) {
  if (name.empty() || name.size() + 4 > kMaxFileNameBytes) return false;
  if (name == "." || name == "..") return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
    if (std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  }
  return !isReservedDeviceName(name);
}

bool extractModel(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  app.answerText.clear();
  const std::string name = askString(app, "Enter name of model to extract:");

  log.logMessage("Model to export: \"%s\"\n", name.c_str());
  // The name becomes a file name in the program folder: a name that would
  // leave that folder, or that no file system takes, is refused before any
  // work is done. An empty name would write the hidden file ".grf".
  if (name.empty()) {
    log.logMessage("ERROR: no model name given: an empty name can't be used as a file name.\n");
    log.logMessage("failed.\n");
    return false;
  }
  if (!isUsableModelFileName(name)) {
    log.logMessage(
        "ERROR: \"%s\" can't be used as a file name in the program folder\n"
        "       (no folders, drives or device names, and none of \\ / : * ? \" < > |).\n",
        name.c_str());
    log.logMessage("failed.\n");
    return false;
  }
  log.logMessage("Loading level...\n");

  SceneFile levelScene;
  levelScene.trace = app.traceStream;
  // An unreadable GRF simply has no instance of that name.
  levelScene.load(level.grfPath);

  MessageBoxRequest box;
  box.buttons = Buttons::OkCancel;
  box.owner = Owner::MessagesWindow;
  Instance* named = levelScene.findInstance(name);
  if (!named) {
    box.text = "Could not find instance with that name.";
    app.ui.messageBox(box);
    log.logMessage("failed.\n");
    return false;
  }
  Instance* base = named->mesh ? levelScene.findInstance(named->mesh->name) : nullptr;
  if (!base) {
    box.text = "Could not find base instance.";
    app.ui.messageBox(box);
    log.logMessage("failed.\n");
    return false;
  }

  log.logMessage("Adding objects to output grf...\n");
  InstanceCollection collection;
  collection.add(base);
  collectSubObjects(collection, levelScene, base);

  // The output scene borrows the level scene's objects and gives them back
  // before it is destroyed.
  SceneFile output;
  output.trace = app.traceStream;
  std::vector<Mesh*> meshes;
  for (Instance* instance : collection.order)
    if (instance->mesh && std::find(meshes.begin(), meshes.end(), instance->mesh) == meshes.end())
      meshes.push_back(instance->mesh);
  for (Mesh* mesh : meshes) {
    if (log.verbose) log.logMessage("  Mesh: %s\n", mesh->name.c_str());
    output.meshes.emplace_back(mesh);
  }
  const Vec3 origin = base->position;
  for (Instance* instance : collection.order) {
    if (log.verbose) log.logMessage("  Instance: %s\n", instance->name.c_str());
    instance->position.x -= origin.x;
    instance->position.y -= origin.y;
    instance->position.z -= origin.z;
    output.instances.emplace_back(instance);
  }

  const std::string outputPath = app.programFolder + name + ".grf";
  log.logMessage("Writing grf to: \"%s\"\n", outputPath.c_str());
  const bool saved = output.save(outputPath);
  output.releaseAll();
  if (!saved) {
    log.logMessage("ERROR: Could not write \"%s\"\n", outputPath.c_str());
    log.logMessage("failed.\n");
    return false;
  }
  log.logMessage("done.\n");
  return true;
}

}  // namespace quorvel
