#include "parameters.h"

#include "session.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace korvex::tool {
namespace {

// Parameters that travel through the identifier interface; the id is the
// template argument so that each entry gets a plain function pointer.
template <int Id>
int GetById(KORVEX_HANDLE camera, int* ok) {
  return Korvex_GetFilterValue(camera, Id, ok);
}
template <int Id>
int SetById(KORVEX_HANDLE camera, int value) {
  return Korvex_SetFilterValue(camera, Id, value);
}

// The colour mode reads back as significant bits (10 for 16, 42 for 48, 58
// for 64); the tool shows the value the setter takes.
int GetColorMode(KORVEX_HANDLE camera, int* ok) {
  const int reported = Korvex_GetColorMode(camera);
  *ok = 1;
  switch (reported) {
    case 10: return 16;
    case 42: return 48;
    case 58: return 64;
    case 8:
    case 24:
    case 32: return reported;
    default: *ok = 0; return reported;
  }
}

int GetWaitTime(KORVEX_HANDLE camera, int* ok) {
  const int value = Korvex_GetWaitTime(camera);
  *ok = value >= 0;
  return value;
}
int GetSubSample(KORVEX_HANDLE camera, int* ok) {
  const int value = Korvex_GetSubSample(camera);
  *ok = value >= 0;
  return value;
}
// The mirror getters return the flag, and 0 with an error code when the
// camera is not open: the history tells the two apart.
// The mirror getters have no success flag: the flag, or 0 with an error
// code in the history, which the caller reads.
int GetMirrorH(KORVEX_HANDLE camera, int* ok) {
  *ok = 1;
  return Korvex_GetMirrorH(camera);
}
int GetMirrorV(KORVEX_HANDLE camera, int* ok) {
  *ok = 1;
  return Korvex_GetMirrorV(camera);
}

const std::vector<Parameter> kParameters = {
    {"gain",
     "global analog gain of the sensor",
     "0..1023",
     {0, 1023},
     true,
     GetById<KORVEX_FILTER_GLOBAL_GAIN>,
     SetById<KORVEX_FILTER_GLOBAL_GAIN>},
    {"exposure",
     "exposure in sensor lines (1014 means 2028 lines)",
     "0..1014",
     {0, 1014},
     true,
     GetById<KORVEX_FILTER_EXPOSURE_TIME>,
     SetById<KORVEX_FILTER_EXPOSURE_TIME>},
    {"exposure-us",
     "exposure time in microseconds (whole lines of 120.58 us are applied)",
     "0..122271",
     {0, 122271},
     true,
     Korvex_GetRealExposureTime,
     Korvex_SetRealExposureTime},
    {"auto-brightness",
     "automatic brightness: 0 off, 1 by exposure, 2 by gain",
     "0..2",
     {0, 2},
     true,
     Korvex_GetAutoIris,
     [](KORVEX_HANDLE c, int v) {
       return v < 0 ? 0 : Korvex_SetAutoIris(c, static_cast<unsigned>(v));
     }},
    {"mirror-h", "horizontal mirror", "0..1", {0, 1}, true, GetMirrorH, Korvex_SetMirrorH},
    {"mirror-v", "vertical mirror", "0..1", {0, 1}, true, GetMirrorV, Korvex_SetMirrorV},
    {"brightness",
     "brightness offset",
     "-255..255",
     {-255, 255},
     true,
     GetById<KORVEX_FILTER_BRIGHTNESS>,
     SetById<KORVEX_FILTER_BRIGHTNESS>},
    {"contrast",
     "contrast",
     "-127..127",
     {-127, 127},
     true,
     GetById<KORVEX_FILTER_CONTRAST>,
     SetById<KORVEX_FILTER_CONTRAST>},
    {"hue",
     "hue rotation in degrees",
     "-360..360",
     {-360, 360},
     true,
     GetById<KORVEX_FILTER_HUE>,
     SetById<KORVEX_FILTER_HUE>},
    {"saturation",
     "saturation",
     "-255..255",
     {-255, 255},
     true,
     GetById<KORVEX_FILTER_SATURATION>,
     SetById<KORVEX_FILTER_SATURATION>},
    {"sharpness",
     "sharpness",
     "0..30",
     {0, 30},
     true,
     GetById<KORVEX_FILTER_SHARPNESS>,
     SetById<KORVEX_FILTER_SHARPNESS>},
    {"gamma",
     "gamma in hundredths (100 is linear)",
     "0..200",
     {0, 200},
     true,
     GetById<KORVEX_FILTER_GAMMA>,
     SetById<KORVEX_FILTER_GAMMA>},
    {"wb-red",
     "white-balance gain of red in percent",
     "0..400",
     {0, 400},
     true,
     GetById<KORVEX_FILTER_BAYER_GAIN_RED>,
     SetById<KORVEX_FILTER_BAYER_GAIN_RED>},
    {"wb-green",
     "white-balance gain of green in percent",
     "0..400",
     {0, 400},
     true,
     GetById<KORVEX_FILTER_BAYER_GAIN_GREEN>,
     SetById<KORVEX_FILTER_BAYER_GAIN_GREEN>},
    {"wb-blue",
     "white-balance gain of blue in percent",
     "0..400",
     {0, 400},
     true,
     GetById<KORVEX_FILTER_BAYER_GAIN_BLUE>,
     SetById<KORVEX_FILTER_BAYER_GAIN_BLUE>},
    {"wb-rgb",
     "white-balance gains packed as 0xBBGGRR (low 8 bits of each)",
     "0..0xFFFFFF",
     {0, 0xFFFFFF},
     true,
     GetById<KORVEX_FILTER_BAYER_GAIN_RGB>,
     SetById<KORVEX_FILTER_BAYER_GAIN_RGB>},
    {"wb-auto",
     "automatic white balance on every frame",
     "0..1",
     {0, 1},
     false,
     GetById<KORVEX_FILTER_BAYER_GAIN_AUTO>,
     SetById<KORVEX_FILTER_BAYER_GAIN_AUTO>},
    {"bayer-mode",
     "phase of the sensor's colour mosaic",
     "0..3",
     {0, 3},
     true,
     GetById<KORVEX_FILTER_BAYER_MODE>,
     SetById<KORVEX_FILTER_BAYER_MODE>},
    {"color-mode",
     "bits per pixel of the output image (8 and 16 are gray)",
     "8, 16, 24, 32, 48 or 64",
     {8, 64, {8, 16, 24, 32, 48, 64}},
     false,
     GetColorMode,
     Korvex_SetColorMode},
    {"wait-ms",
     "pause of the live preview before each frame, in milliseconds",
     "0..2147483647",
     {0, INT_MAX},
     false,
     GetWaitTime,
     Korvex_SetWaitTime},
    {"sub-sample", "sub-sampling mode", "0", {0, 0}, false, GetSubSample, Korvex_SetSubSample},
    {"gray-mode",
     "gray filter: 0 Bayer, 1 Bayer convert, 2 grayscale",
     "0..2",
     {0, 2},
     true,
     GetById<KORVEX_FILTER_GRAY_MODE>,
     SetById<KORVEX_FILTER_GRAY_MODE>},
    {"gray-gain-r",
     "gray gain of the red sites",
     "0..255",
     {0, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_GAIN_R>,
     SetById<KORVEX_FILTER_GRAY_GAIN_R>},
    {"gray-gain-g1",
     "gray gain of the first green sites",
     "0..255",
     {0, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_GAIN_G1>,
     SetById<KORVEX_FILTER_GRAY_GAIN_G1>},
    {"gray-gain-g2",
     "gray gain of the second green sites",
     "0..255",
     {0, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_GAIN_G2>,
     SetById<KORVEX_FILTER_GRAY_GAIN_G2>},
    {"gray-gain-b",
     "gray gain of the blue sites",
     "0..255",
     {0, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_GAIN_B>,
     SetById<KORVEX_FILTER_GRAY_GAIN_B>},
    {"gray-offset-r",
     "gray offset of the red sites",
     "-255..255",
     {-255, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_OFFSET_R>,
     SetById<KORVEX_FILTER_GRAY_OFFSET_R>},
    {"gray-offset-g1",
     "gray offset of the first green sites",
     "-255..255",
     {-255, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_OFFSET_G1>,
     SetById<KORVEX_FILTER_GRAY_OFFSET_G1>},
    {"gray-offset-g2",
     "gray offset of the second green sites",
     "-255..255",
     {-255, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_OFFSET_G2>,
     SetById<KORVEX_FILTER_GRAY_OFFSET_G2>},
    {"gray-offset-b",
     "gray offset of the blue sites",
     "-255..255",
     {-255, 255},
     true,
     GetById<KORVEX_FILTER_GRAY_OFFSET_B>,
     SetById<KORVEX_FILTER_GRAY_OFFSET_B>},
    {"gray-calibrate",
     "measure the gray gains on the next frame",
     "0..1",
     {0, 1},
     false,
     GetById<KORVEX_FILTER_GRAY_CALIBRATE>,
     SetById<KORVEX_FILTER_GRAY_CALIBRATE>},
    {"color-gain-red",
     "colour gain of red (fixed on this model)",
     "0",
     {0, 0},
     true,
     GetById<KORVEX_FILTER_COLOR_GAIN_RED>,
     SetById<KORVEX_FILTER_COLOR_GAIN_RED>},
    {"color-gain-green1",
     "colour gain of the first green (fixed on this model)",
     "0",
     {0, 0},
     true,
     GetById<KORVEX_FILTER_COLOR_GAIN_GREEN1>,
     SetById<KORVEX_FILTER_COLOR_GAIN_GREEN1>},
    {"color-gain-green2",
     "colour gain of the second green (fixed on this model)",
     "0",
     {0, 0},
     true,
     GetById<KORVEX_FILTER_COLOR_GAIN_GREEN2>,
     SetById<KORVEX_FILTER_COLOR_GAIN_GREEN2>},
    {"color-gain-blue",
     "colour gain of blue (fixed on this model)",
     "0",
     {0, 0},
     true,
     GetById<KORVEX_FILTER_COLOR_GAIN_BLUE>,
     SetById<KORVEX_FILTER_COLOR_GAIN_BLUE>},
};

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

const std::vector<Parameter>& Parameters() { return kParameters; }

const Parameter* FindParameter(const std::string& name) {
  for (const Parameter& p : kParameters)
    if (name == p.name) return &p;
  return nullptr;
}

bool Accepts(const Parameter& parameter, int value) {
  const ValueRange& r = parameter.accepted;
  if (!r.choices.empty())
    return std::find(r.choices.begin(), r.choices.end(), value) != r.choices.end();
  return value >= r.low && value <= r.high;
}

bool ParseParameterValue(const Parameter& parameter, const std::string& text, int* value) {
  int parsed = 0;
  if (!ParseInt(text, &parsed) || !Accepts(parameter, parsed)) {
    PrintError("'" + text + "' is not a whole number within the range: " + parameter.name +
               " accepts " + parameter.range);
    return false;
  }
  *value = parsed;
  return true;
}

std::string ClosestParameterName(const std::string& name) {
  std::string best;
  size_t bestDistance = 3;  // more than two edits away is no suggestion
  for (const Parameter& p : kParameters) {
    const size_t d = EditDistance(name, p.name);
    if (d < bestDistance) {
      bestDistance = d;
      best = p.name;
    }
  }
  return best;
}

bool ParseAssignments(const std::vector<std::string>& words, std::vector<Assignment>* out,
                      std::string* error) {
  out->clear();
  for (size_t i = 0; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals != std::string::npos) {
      out->push_back({words[i].substr(0, equals), words[i].substr(equals + 1)});
    } else if (i + 1 < words.size()) {
      out->push_back({words[i], words[i + 1]});
      ++i;
    } else {
      *error = "no value given for '" + words[i] + "'";
      return false;
    }
  }
  return true;
}

bool ParseInt(const std::string& text, int* value) {
  if (text.empty()) return false;
  // Decimal, or hexadecimal after 0x; a leading zero does not mean octal.
  const bool negative = text[0] == '-';
  const size_t digits = negative ? 1 : 0;
  const bool hex = text.size() > digits + 2 && text[digits] == '0' &&
                   (text[digits + 1] == 'x' || text[digits + 1] == 'X');
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || end == text.c_str() || *end != '\0') return false;
  if (parsed < INT_MIN || parsed > INT_MAX) return false;
  *value = static_cast<int>(parsed);
  return true;
}

}  // namespace korvex::tool
