// Hands out places in the SWP: pages of 131072 bytes (512 bytes x 256 rows),
// each split into two 256 x 256 half-pages with a grid of 8 x 8 cells.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quorvel {

struct PageHalf {
  uint32_t base = 0;  // SWP offset of the half's top-left byte
  static constexpr uint32_t pitch = 512;
  static constexpr int cellShift = 3;
  static constexpr int columns = 32;
  static constexpr int rows = 32;
  std::array<uint8_t, 32 * 32> cells{};  // row-major; 1 = occupied
  uint32_t owner = 0;                    // bits per pixel placed here; 0 = none
};

class TexturePacker {
 public:
  // `limit` 0 or below `start` means no limit.
  TexturePacker(uint32_t start, int64_t limit);

  // Index of the new left half, or -1 when the page limit refuses.
  int openPage();
  bool allocate(uint32_t rowBytes, uint32_t height, uint32_t bitsPerPixel, uint32_t& offset,
                uint32_t& pitch);
  uint32_t nextPageOffset() const { return nextPage; }

  uint32_t nextPage = 0;
  int64_t pageLimit = -1;
  std::vector<PageHalf> halves;

  // The mipmap pin: while set, the search skips the pinned pair of halves,
  // and the first placement made pins its pair.
  bool pinFlag = false;
  int pinnedPair = -1;
};

}  // namespace quorvel
