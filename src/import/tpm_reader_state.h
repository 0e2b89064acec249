// The state both TPM formats share while one file is read; internal to the
// TPM readers.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "report/message_sink.h"
#include "level/scene.h"
#include "values/line_reader.h"

namespace quorvel {

// Degrees to radians, as the files' angles are converted.
constexpr float kDegreesToRadians = 0.017453292f;
// The scale of the instance that shows a bone or joint (bits 0x3C5BA909).
constexpr float kBoneInstanceScale = 0.013407f;
// Joint numbers in bone names above this are not taken: a skin never has
// that many joints, and the table must not grow without bound.
constexpr int kMaxJointNumber = 1023;

// The bones of one skin by joint number, and per joint the number of
// vertices bound to it so far.
struct JointTable {
  std::vector<Mesh*> bones;
  std::vector<int> counters;

  // Records vertex `vertexIndex` under joint `joint` as the bone's next
  // "A%02d" value; false when the joint has no bone.
  bool bindVertex(int32_t joint, int32_t vertexIndex);
};

class TpmReader {
 public:
  TpmReader(MessageSink& log, std::string path) : log_(log), path_(std::move(path)) {}

  std::unique_ptr<SceneFile> read(std::string text);

 private:
  // A note or error that makes the file a problem.
  void reportProblem(const char* format, ...) QUORVEL_FORMAT_CHECK(2, 3);

  // Block format.
  void readBlocks();
  void skipUnsupportedBlock();
  template <typename HandleLine>
  void readBlockBody(HandleLine handleLine);
  void readFileInfoBlock();
  bool readMaterialBlock();
  bool readBoneBlock();
  bool readMeshBlock(const char* keyword);
  bool readInstanceBlock();
  void readValueFileStep();

  // Sectioned format.
  void readSections();
  template <typename HandleLine>
  void readSectionBody(HandleLine handleLine);
  void readFileInfoSection();
  void readJointsSection();
  void readMaterialsSection();
  void readGeometrySection();
  void readObjectsSection();
  void readValuesSection();

  // Shared pieces.
  // A bone or joint: a box mesh with a value table and its instance.
  Instance* addBone(const std::string& name, Vec3 position);
  JointTable buildJointTable(const std::string& skinName);
  std::map<std::string, Mesh*> meshLookup() const;

  MessageSink& log_;
  std::string path_;
  LineReader lines_;
  std::unique_ptr<SceneFile> scene_;
  std::map<std::string, Material> materialLibrary_;
  std::vector<Mesh*> boneMeshes_;
  // Sectioned format: material names in the order the materials section
  // defines them; faces may pick one by number.
  std::vector<std::string> materialOrder_;
  bool fileProblem_ = false;
  bool verbose_ = false;
};

}  // namespace quorvel
