// The image file formats of Korvex_SaveImage, chosen by name or taken from a
// file's extension.
#pragma once

#include <string>

namespace korvex::tool {

struct SaveFormat {
  int code;           // KORVEX_SAVE_*
  const char* label;  // "PNG", "JPEG quality 70" ...
};

// By format name: bmp, raw, jpeg (with the quality), png, tiff. False for an
// unknown name or a quality other than 20, 70 or 100.
bool FormatByName(const std::string& name, int jpegQuality, SaveFormat* out);
// By the file's extension, case-insensitive: .bmp .raw .jpg .jpeg .png .tif
// .tiff. False when the extension is none of them.
bool FormatByExtension(const std::string& path, int jpegQuality, SaveFormat* out);

}  // namespace korvex::tool
