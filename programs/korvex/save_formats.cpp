#include "save_formats.h"

#include "host_seam.h"

#include "KorvexSdk_740K3_XLN.h"

#include <algorithm>
#include <cctype>

namespace korvex::tool {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool JpegFormat(int quality, SaveFormat* out) {
  switch (quality) {
    case 100: *out = {KORVEX_SAVE_JPEG_HIGH, "JPEG quality 100"}; return true;
    case 70: *out = {KORVEX_SAVE_JPEG_MID, "JPEG quality 70"}; return true;
    case 20: *out = {KORVEX_SAVE_JPEG_LOW, "JPEG quality 20"}; return true;
    default: return false;
  }
}

}  // namespace

bool FormatByName(const std::string& name, int jpegQuality, SaveFormat* out) {
  const std::string n = Lower(name);
  if (n == "bmp")
    *out = {KORVEX_SAVE_BMP, "BMP"};
  else if (n == "raw")
    *out = {KORVEX_SAVE_RAW, "raw pixels"};
  else if (n == "jpeg" || n == "jpg")
    return JpegFormat(jpegQuality, out);
  else if (n == "png")
    *out = {KORVEX_SAVE_PNG, "PNG"};
  else if (n == "tiff" || n == "tif")
    *out = {KORVEX_SAVE_TIFF, "TIFF"};
  else
    return false;
  return true;
}

bool FormatByExtension(const std::string& path, int jpegQuality, SaveFormat* out) {
  const size_t slash = path.find_last_of(PathSeparators());
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  return FormatByName(path.substr(dot + 1), jpegQuality, out);
}

}  // namespace korvex::tool
