// Hands out places in the SWP: pages of 131072 bytes (512 bytes x 256 rows),
// each split into two 256 x 256 half-pages with a grid of 8 x 8 cells. A
// half only ever holds textures of one depth.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel {

constexpr uint32_t kSwpPageSize = 131072;
constexpr uint32_t kSwpPitch = 512;

struct PageHalf {
  uint32_t base = 0;  // SWP offset of the half's top-left byte
  static constexpr uint32_t pitch = 512;
  static constexpr int cellShift = 3;
  static constexpr int columns = 32;
  static constexpr int rows = 32;
  std::array<uint8_t, 32 * 32> cells{};  // row-major; 1 = occupied
  uint32_t owner = 0;                    // bits per pixel placed here; 0 = none
  int freeCells = 32 * 32;               // lets a full half be passed over quickly
};

// An image already in the SWP when the update began: pages opened over it
// mark its bytes occupied, so nothing new is ever written across it.
struct StoredImage {
  uint64_t offset = 0;
  uint64_t rowBytes = 0;
  uint64_t height = 0;
  uint64_t pitch = 0;
  uint32_t bitsPerPixel = 0;
};

class TexturePacker {
 public:
  // Pages start at `start`. With a `limit` (an SWP offset) the packer keeps
  // below it; a limit at or below `start` leaves it no room at all, so the
  // first packer can never grow into the space of the second.
  TexturePacker(uint32_t start, std::optional<uint32_t> limit);

  // Images that pages opened from now on must keep clear of.
  void setStoredImages(std::vector<StoredImage> images);

  // Index of the new left half, or -1 when the page limit refuses (or the
  // page would end beyond the 32-bit offsets of the PID).
  int openPage();
  // A place for rowBytes x height bytes (at most 512 x 256); false when the
  // packer has no room under its limit.
  bool allocate(uint32_t rowBytes, uint32_t height, uint32_t bitsPerPixel, uint32_t& offset,
                uint32_t& pitch);
  uint32_t nextPageOffset() const { return static_cast<uint32_t>(nextPage); }
  // Half-pages held: two per page opened.
  uint32_t halfCount() const { return static_cast<uint32_t>(halves.size()); }
  uint32_t firstPageOffset() const { return start_; }

  uint64_t nextPage = 0;
  int64_t pageLimit = -1;  // -1 = none; compared with the count of halves
  std::vector<PageHalf> halves;

  // The mipmap pin: while set, the search skips the pinned pair of halves,
  // and the first placement made pins its pair. Only the second packer uses it.
  bool pinFlag = false;
  int pinnedPair = -1;

 private:
  bool pairEligible(size_t half, uint32_t bitsPerPixel) const;
  bool findInHalf(const PageHalf& half, int cw, int ch, int& x, int& y) const;
  void markCells(PageHalf& half, int x, int y, int cw, int ch, uint32_t bitsPerPixel);
  bool placeWide(uint32_t rowBytes, uint32_t height, uint32_t bitsPerPixel, uint32_t& offset);
  void markStoredImages(size_t leftHalf);
  void markPageBytes(size_t leftHalf, uint64_t begin, uint64_t end, uint32_t bitsPerPixel);
  void pinPairOf(size_t half);

  uint32_t start_ = 0;
  std::vector<StoredImage> stored_;
};

}  // namespace quorvel
