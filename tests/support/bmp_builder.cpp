#include "support/bmp_builder.h"

#include "util/byte_io.h"

namespace quorvel::testing_support {

std::vector<uint8_t> buildBmp(const BmpOptions& o) {
  const uint32_t bytesPerPixel = o.depth / 8 ? o.depth / 8 : 1;
  const uint32_t rowBytes = static_cast<uint32_t>(o.width) * bytesPerPixel;
  const uint32_t stride = (rowBytes + 3) & ~3u;
  const uint32_t rows = static_cast<uint32_t>(o.height < 0 ? -o.height : o.height);
  const uint32_t pixelOffset = 54 + static_cast<uint32_t>(o.colors.size());
  ByteWriter out;
  out.u8('B');
  out.u8('M');
  out.u32(pixelOffset + stride * rows);
  out.u32(0);
  out.u32(pixelOffset);
  out.u32(40);
  out.i32(o.width);
  out.i32(o.height);
  out.u16(1);
  out.u16(o.depth);
  out.u32(o.compression);
  out.u32(stride * rows);
  out.u32(2835);
  out.u32(2835);
  out.u32(o.colorsUsed);
  out.u32(0);
  out.bytes(o.colors.data(), o.colors.size());
  for (uint32_t r = 0; r < rows; ++r) {
    out.bytes(o.rows.data() + size_t{r} * rowBytes, rowBytes);
    out.zeros(stride - rowBytes);
  }
  return out.buffer();
}

std::vector<uint8_t> buildIndexedBmp(int32_t width, int32_t height, uint32_t colorCount,
                                     uint8_t (*pixel)(int32_t x, int32_t y)) {
  BmpOptions o;
  o.width = width;
  o.height = height;
  o.depth = 8;
  o.colorsUsed = colorCount;
  for (uint32_t i = 0; i < colorCount; ++i) {
    o.colors.push_back(static_cast<uint8_t>(i));
    o.colors.push_back(static_cast<uint8_t>(255 - i));
    o.colors.push_back(static_cast<uint8_t>(i / 2));
    o.colors.push_back(0);
  }
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) o.rows.push_back(pixel(x, y));
  return buildBmp(o);
}

std::vector<uint8_t> buildSolidBmp24(int32_t width, int32_t height, uint8_t red, uint8_t green,
                                     uint8_t blue) {
  BmpOptions o;
  o.width = width;
  o.height = height;
  o.depth = 24;
  for (int32_t i = 0; i < width * height; ++i) {
    o.rows.push_back(blue);
    o.rows.push_back(green);
    o.rows.push_back(red);
  }
  return buildBmp(o);
}

}  // namespace quorvel::testing_support
