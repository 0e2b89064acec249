#include "textures/texture_packer.h"

#include <algorithm>

namespace quorvel {

namespace {

constexpr uint64_t kOffsetLimit = uint64_t{1} << 32;  // PID offsets are 32-bit
constexpr uint32_t kHalfWidth = 256;

int cellsFor(uint32_t bytes) { return static_cast<int>((bytes + 7) >> PageHalf::cellShift); }

}  // namespace

TexturePacker::TexturePacker(uint32_t start, std::optional<uint32_t> limit)
    : nextPage(start), start_(start) {
  if (limit) pageLimit = *limit > start ? (*limit - start) / kSwpPageSize : 0;
}

void TexturePacker::setStoredImages(std::vector<StoredImage> images) { stored_ = std::move(images); }

int TexturePacker::openPage() {
  // The count of halves (two per page) is held against a limit in pages: the
  // first packer thus uses at most half of the primary space, as the game's
  // own stores do.
  if (pageLimit >= 0 && static_cast<int64_t>(halves.size()) + 2 > pageLimit) return -1;
  if (nextPage + kSwpPageSize > kOffsetLimit) return -1;
  PageHalf left;
  left.base = static_cast<uint32_t>(nextPage);
  PageHalf right;
  right.base = static_cast<uint32_t>(nextPage + kHalfWidth);
  halves.push_back(left);
  halves.push_back(right);
  nextPage += kSwpPageSize;
  const size_t leftIndex = halves.size() - 2;
  markStoredImages(leftIndex);
  return static_cast<int>(leftIndex);
}

bool TexturePacker::pairEligible(size_t half, uint32_t bitsPerPixel) const {
  const size_t left = half & ~size_t{1};
  const uint32_t ownerLeft = halves[left].owner;
  const uint32_t ownerRight = halves[left + 1].owner;
  if (ownerLeft != 0 && ownerLeft != bitsPerPixel) return false;
  if (ownerRight != 0 && ownerRight != bitsPerPixel) return false;
  return !(pinFlag && pinnedPair == static_cast<int>(left >> 1));
}

bool TexturePacker::findInHalf(const PageHalf& half, int cw, int ch, int& x, int& y) const {
  if (half.freeCells < cw * ch) return false;
  for (int top = 0; top + ch <= PageHalf::rows; top += ch) {
    for (int left = 0; left + cw <= PageHalf::columns; left += cw) {
      bool free = true;
      for (int r = top; r < top + ch && free; ++r) {
        const uint8_t* row = &half.cells[r * PageHalf::columns + left];
        free = std::all_of(row, row + cw, [](uint8_t c) { return c == 0; });
      }
      if (free) {
        x = left;
        y = top;
        return true;
      }
    }
  }
  return false;
}

void TexturePacker::markCells(PageHalf& half, int x, int y, int cw, int ch, uint32_t bitsPerPixel) {
  for (int r = y; r < y + ch; ++r) {
    for (int c = x; c < x + cw; ++c) {
      uint8_t& cell = half.cells[r * PageHalf::columns + c];
      if (!cell) --half.freeCells;
      cell = 1;
    }
  }
  half.owner = bitsPerPixel;
}

void TexturePacker::pinPairOf(size_t half) {
  if (pinFlag && pinnedPair < 0) pinnedPair = static_cast<int>(half >> 1);
}

bool TexturePacker::allocate(uint32_t rowBytes, uint32_t height, uint32_t bitsPerPixel,
                             uint32_t& offset, uint32_t& pitch) {
  if (rowBytes == 0 || rowBytes > kSwpPitch || height == 0 || height > 256) return false;
  pitch = kSwpPitch;
  if (rowBytes > kHalfWidth) return placeWide(rowBytes, height, bitsPerPixel, offset);

  const int cw = cellsFor(rowBytes);
  const int ch = cellsFor(height);
  int x = 0;
  int y = 0;
  for (size_t i = 0; i < halves.size(); ++i) {
    if (!pairEligible(i, bitsPerPixel) || !findInHalf(halves[i], cw, ch, x, y)) continue;
    markCells(halves[i], x, y, cw, ch, bitsPerPixel);
    pinPairOf(i);
    offset = halves[i].base + static_cast<uint32_t>(y * 8) * kSwpPitch + static_cast<uint32_t>(x * 8);
    return true;
  }
  // A fresh page is empty unless it lies over images of an earlier update;
  // then the next page is tried.
  for (;;) {
    const int left = openPage();
    if (left < 0) return false;
    if (!pairEligible(left, bitsPerPixel) || !findInHalf(halves[left], cw, ch, x, y)) continue;
    pinPairOf(left);
    markCells(halves[left], x, y, cw, ch, bitsPerPixel);
    offset = halves[left].base + static_cast<uint32_t>(y * 8) * kSwpPitch + static_cast<uint32_t>(x * 8);
    return true;
  }
}

// Rows longer than a half (16-bit textures wider than 128 pixels) take a
// fresh page of their own and start at its first byte; the cells they cover
// in both halves are marked, so the rest of the page still serves textures
// of the same depth.
bool TexturePacker::placeWide(uint32_t rowBytes, uint32_t height, uint32_t bitsPerPixel,
                              uint32_t& offset) {
  const int ch = cellsFor(height);
  const int rightColumns = cellsFor(rowBytes - kHalfWidth);
  for (;;) {
    const int left = openPage();
    if (left < 0) return false;
    PageHalf& l = halves[left];
    PageHalf& r = halves[left + 1];
    if (!pairEligible(left, bitsPerPixel)) continue;
    bool free = true;
    for (int row = 0; row < ch && free; ++row) {
      for (int c = 0; c < PageHalf::columns && free; ++c) {
        free = l.cells[row * PageHalf::columns + c] == 0 &&
               (c >= rightColumns || r.cells[row * PageHalf::columns + c] == 0);
      }
    }
    if (!free) continue;
    markCells(l, 0, 0, PageHalf::columns, ch, bitsPerPixel);
    markCells(r, 0, 0, rightColumns, ch, bitsPerPixel);
    pinPairOf(left);
    offset = l.base;
    return true;
  }
}

void TexturePacker::markStoredImages(size_t leftHalf) {
  const uint64_t pageStart = halves[leftHalf].base;
  const uint64_t pageEnd = pageStart + kSwpPageSize;
  for (const StoredImage& image : stored_) {
    if (image.rowBytes == 0 || image.height == 0) continue;
    const uint64_t lastRow = image.height - 1;
    if (image.pitch < image.rowBytes) {
      // Rows that overlap each other: the whole span counts as taken.
      const uint64_t end = image.offset + lastRow * image.pitch + image.rowBytes;
      markPageBytes(leftHalf, image.offset, end, image.bitsPerPixel);
      continue;
    }
    const uint64_t end = image.offset + lastRow * image.pitch + image.rowBytes;
    if (end <= pageStart || image.offset >= pageEnd) continue;
    const uint64_t firstRow = pageStart > image.offset ? (pageStart - image.offset) / image.pitch : 0;
    const uint64_t finalRow = std::min(lastRow, (pageEnd - 1 - image.offset) / image.pitch);
    for (uint64_t row = firstRow; row <= finalRow; ++row) {
      const uint64_t begin = image.offset + row * image.pitch;
      markPageBytes(leftHalf, begin, begin + image.rowBytes, image.bitsPerPixel);
    }
  }
}

// Marks every cell of the page pair holding a byte of [begin, end); a half
// that gets a mark takes the image's depth as its owner.
void TexturePacker::markPageBytes(size_t leftHalf, uint64_t begin, uint64_t end,
                                  uint32_t bitsPerPixel) {
  const uint64_t pageStart = halves[leftHalf].base;
  const uint64_t pageEnd = pageStart + kSwpPageSize;
  uint64_t pos = std::max(begin, pageStart);
  const uint64_t stop = std::min(end, pageEnd);
  while (pos < stop) {
    const uint64_t row = (pos - pageStart) / kSwpPitch;
    const uint64_t rowStart = pageStart + row * kSwpPitch;
    const uint64_t segmentEnd = std::min(stop, rowStart + kSwpPitch);
    const uint64_t first = pos - rowStart;
    const uint64_t last = segmentEnd - rowStart - 1;
    for (size_t side = 0; side < 2; ++side) {
      const uint64_t sideStart = side * kHalfWidth;
      const uint64_t from = std::max(first, sideStart);
      const uint64_t to = std::min(last, sideStart + kHalfWidth - 1);
      if (from > to) continue;
      PageHalf& half = halves[leftHalf + side];
      const size_t cellRow = row >> PageHalf::cellShift;
      for (uint64_t c = (from - sideStart) >> PageHalf::cellShift;
           c <= (to - sideStart) >> PageHalf::cellShift; ++c) {
        uint8_t& cell = half.cells[cellRow * PageHalf::columns + c];
        if (!cell) --half.freeCells;
        cell = 1;
      }
      half.owner = bitsPerPixel;
    }
    pos = segmentEnd;
  }
}

}  // namespace quorvel
