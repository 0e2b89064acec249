#include "textures/pid_dump.h"

#include "util/json_text.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

void appendNumberField(std::string& out, const char* key, int64_t value) {
  out += '"';
  out += key;
  out += "\":";
  out += std::to_string(value);
}

void appendEntryJson(std::string& out, const TextureEntry& e) {
  out += '{';
  appendNumberField(out, "size", e.size);
  out += ',';
  appendNumberField(out, "offset", e.offset);
  out += ',';
  appendNumberField(out, "width", e.width);
  out += ',';
  appendNumberField(out, "height", e.height);
  out += ',';
  appendNumberField(out, "pitch", e.pitch);
  out += ',';
  appendNumberField(out, "bitsPerPixel", e.bitsPerPixel);
  out += ',';
  appendNumberField(out, "averageColor", e.averageColor);
  out += ',';
  appendNumberField(out, "transparency", e.transparency);
  out += ',';
  appendNumberField(out, "bumpFlags", e.bumpFlags);
  out += ',';
  appendNumberField(out, "occlusion", e.occlusion);
  out += ',';
  appendNumberField(out, "palette", e.palette);
  out += ',';
  appendNumberField(out, "reserved", e.reserved);
  out += ',';
  appendNumberField(out, "textureId", e.textureId);
  out += ',';
  appendNumberField(out, "mipInfo", e.mipInfo);
  out += '}';
}

}  // namespace

std::string pidDumpJson(const TextureDatabase& db, bool loaded) {
  std::string out = "{\"format\":\"pid-dump-1\",\"loaded\":";
  out += loaded ? "true" : "false";
  out += ',';
  appendNumberField(out, "primaryLimit", loaded ? db.primaryLimit : 0);
  out += ',';
  appendNumberField(out, "primaryUsed", loaded ? db.primaryUsed : 0);
  out += ",\"palettes\":[";
  if (loaded) {
    for (size_t i = 0; i < db.palettes.size(); ++i) {
      const TexturePalette& p = db.palettes[i];
      if (i) out += ',';
      out += '{';
      appendNumberField(out, "count", p.count);
      out += ',';
      appendNumberField(out, "key", p.key);
      out += ',';
      appendNumberField(out, "trailer", p.trailer);
      out += ',';
      appendNumberField(out, "handle", p.handle);
      out += ",\"colors\":\"";
      out += json::hexBytes(p.colors.data(), p.colors.size());
      out += "\"}";
    }
  }
  out += "],\"entries\":[";
  if (loaded) {
    for (size_t i = 0; i < db.entries.size(); ++i) {
      if (i) out += ',';
      appendEntryJson(out, db.entries[i]);
    }
  }
  out += "],\"marker\":";
  out += loaded && db.hasPackerMarker() ? "true" : "false";
  out += "}\n";
  return out;
}

std::string pidDumpText(const TextureDatabase& db, const std::string& path) {
  std::string out;
  out += formatText("Texture index: \"%s\"\n", path.c_str());
  out += formatText("  Primary texture space: limit %u (0x%08x), used %u (0x%08x)\n", db.primaryLimit,
                    db.primaryLimit, db.primaryUsed, db.primaryUsed);
  out += formatText("  Palettes: %zu\n", db.palettes.size());
  for (size_t i = 0; i < db.palettes.size(); ++i) {
    const TexturePalette& p = db.palettes[i];
    out += formatText("    %zu: %u colours, key 0x%08x, handle ", i, p.count, p.key);
    if (p.handle < 0)
      out += "none\n";
    else
      out += formatText("0x%08x\n", static_cast<uint32_t>(p.handle));
  }
  out += formatText("  Entries: %zu\n", db.entries.size());
  for (size_t i = 0; i < db.entries.size(); ++i) {
    const TextureEntry& e = db.entries[i];
    if (i + 1 == db.entries.size() && isPackerMarker(e)) {
      out += formatText("    %zu: packer marker: first page at 0x%08x, %u half-pages\n", i, e.offset,
                        e.height);
      continue;
    }
    out += formatText("    %zu: offset 0x%08x, %u x %u, pitch %u, %u bpp, palette %d, id 0x%08x, ", i,
                      e.offset, e.width, e.height, e.pitch, e.bitsPerPixel, e.palette, e.textureId);
    if (e.mipInfo == 0)
      out += "full size";
    else
      out += formatText("mip 0x%08x", e.mipInfo);
    if (e.transparency) out += formatText(", transparency %u", e.transparency);
    if (e.bumpFlags) out += formatText(", bump flags %u", e.bumpFlags);
    if (e.occlusion) out += formatText(", occlusion 0x%08x", e.occlusion);
    out += '\n';
  }
  return out;
}

}  // namespace quorvel
