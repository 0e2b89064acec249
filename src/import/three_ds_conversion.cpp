// Stand-in until the conversion lands.
#include "import/three_ds_conversion.h"

namespace quorvel {

void convert3dsFile(const MeshCallback&, const InstanceCallback&, const std::string& path, MessageSink& log) {
  log.problem = true;
  log.logMessage("ERROR: \"%s\" is not a valid 3DS file: not supported yet\n", path.c_str());
}

}  // namespace quorvel
