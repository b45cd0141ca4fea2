// Writes the dialog templates of src/dialogs/template_table.h as a Windows
// resource script, so that the DLL carries exactly the dialogs the Linux
// host builds at run time. Built and run on the build machine:
//   dialog_rc OUTPUT.rc
// The English templates go under LANG_ENGLISH, the Japanese ones under
// LANG_JAPANESE. The script is in code page 932 (the captions are converted
// from UTF-8 here) and says so with #pragma code_page(932), so the resource
// compiler turns the captions into the right UTF-16 strings.
#include "dialogs/template_table.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using korvex::dialogs::ClassName;
using korvex::dialogs::ControlTemplate;
using korvex::dialogs::DialogTemplate;
using korvex::dialogs::Language;
namespace style = korvex::dialogs::style;

// UTF-8 to code page 932; false when the text has a character that code
// page does not hold.
bool ToCodePage932(const std::string& utf8, std::string& out) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = utf8;
  out.assign(in.size() * 2 + 4, '\0');
  char* source = in.data();
  size_t sourceLeft = in.size();
  char* target = out.data();
  size_t targetLeft = out.size();
  const size_t result = iconv(cd, &source, &sourceLeft, &target, &targetLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1) || sourceLeft != 0) return false;
  out.resize(out.size() - targetLeft);
  return true;
}

// A quoted resource-script string of a UTF-8 caption. The resource compiler
// reads backslash escapes byte by byte before it decodes the code page, so
// every 0x5C byte (a backslash, or the second byte of characters such as
// 表) is written as an escaped backslash; quotes are doubled.
bool Quoted(const char* utf8, std::string& out) {
  std::string bytes;
  if (!ToCodePage932(utf8 ? utf8 : "", bytes)) return false;
  out = "\"";
  for (char c : bytes) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\"\"";
    } else {
      out += c;
    }
  }
  out += '"';
  return true;
}

bool IsAscii(const char* text) {
  for (const char* p = text; p && *p; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) return false;
  }
  return true;
}

bool WriteTemplate(FILE* out, const DialogTemplate& t) {
  const bool japanese = t.language == Language::kJapanese;
  // LANG_JAPANESE / SUBLANG_DEFAULT, LANG_ENGLISH / SUBLANG_ENGLISH_US.
  std::fprintf(out, "\nLANGUAGE %s\n", japanese ? "0x11, 0x01" : "0x09, 0x01");
  std::fprintf(out, "%d DIALOGEX 0, 0, %d, %d\n", t.id, t.cx, t.cy);
  std::fprintf(out, "STYLE 0x%08X\n", t.style);
  std::string text;
  if (t.title != nullptr) {
    if (!japanese && !IsAscii(t.title)) return false;
    if (!Quoted(t.title, text)) return false;
    std::fprintf(out, "CAPTION %s\n", text.c_str());
  }
  if (t.style & style::kDsSetFont) {
    // Point size, face, weight, italic, character set.
    std::fputs(japanese ? "FONT 9, \"MS UI Gothic\", 400, 0, 0x80\n"
                        : "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\n",
               out);
  }
  std::fputs("BEGIN\n", out);
  for (int i = 0; i < t.controlCount; ++i) {
    const ControlTemplate& c = t.controls[i];
    const char* caption = t.Caption(c);
    if (!japanese && !IsAscii(caption)) return false;
    if (!Quoted(caption, text)) return false;
    std::fprintf(out, "  CONTROL %s, %d, \"%s\", 0x%08X, %d, %d, %d, %d\n", text.c_str(), c.id,
                 ClassName(c.cls), c.style | style::kChild | style::kVisible, c.x, c.y, c.cx, c.cy);
  }
  std::fputs("END\n", out);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.rc\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  const std::string temporary = path + ".tmp";
  FILE* out = std::fopen(temporary.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "%s: %s\n", temporary.c_str(), std::strerror(errno));
    return 1;
  }
  std::fputs(
      "// The dialog templates of KorvexSdk_740K3_XLN.dll, generated from\n"
      "// src/dialogs/template_table.h by tools/windows/dialog_rc.cpp. Do not edit.\n"
      "#pragma code_page(932)\n",
      out);
  bool ok = true;
  for (const DialogTemplate& t : korvex::dialogs::table::kTemplates) {
    if (!WriteTemplate(out, t)) {
      std::fprintf(stderr, "template %d: a caption cannot be written in its code page\n", t.id);
      ok = false;
    }
  }
  ok = std::fclose(out) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
