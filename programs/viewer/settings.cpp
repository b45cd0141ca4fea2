#include "settings.h"

#include <windows.h>

namespace korvex::viewer {
namespace {

constexpr wchar_t kSdkKey[] = L"Software\\Quorel\\Korvex740K3XLNSdk";
constexpr wchar_t kKey[] = L"Software\\Quorel\\Korvex740K3XLNSdk\\Viewer";

void ReadInt(HKEY key, const wchar_t* name, int* value, int low, int high) {
  DWORD v = 0, size = sizeof v, type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return;
  const int i = static_cast<int>(v);
  if (i >= low && i <= high) *value = i;
}

void ReadBool(HKEY key, const wchar_t* name, bool* value) {
  int v = *value ? 1 : 0;
  ReadInt(key, name, &v, 0, 1);
  *value = v != 0;
}

void WriteInt(HKEY key, const wchar_t* name, int value) {
  const DWORD v = static_cast<DWORD>(value);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

}  // namespace

ViewerSettings LoadSettings() {
  ViewerSettings s;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return s;
  ReadInt(key, L"Left", &s.left, -32000, 32000);
  ReadInt(key, L"Top", &s.top, -32000, 32000);
  ReadInt(key, L"Width", &s.width, 200, 16000);
  ReadInt(key, L"Height", &s.height, 150, 16000);
  ReadBool(key, L"Maximized", &s.maximized);
  ReadInt(key, L"Camera", &s.camera, 0, 31);
  int zoom = static_cast<int>(s.zoom);
  ReadInt(key, L"Zoom", &zoom, 0, 3);
  s.zoom = static_cast<Zoom>(zoom);
  ReadBool(key, L"Histogram", &s.histogram);
  ReadBool(key, L"LogScale", &s.logScale);
  ReadBool(key, L"Clipping", &s.clipping);
  ReadInt(key, L"RecordSeconds", &s.recordSeconds, 0, 24 * 3600);
  ReadInt(key, L"ImageFormat", &s.imageFormat, 0, 6);
  wchar_t folder[MAX_PATH] = {};
  DWORD size = sizeof folder - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(key, L"Folder", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ)
    s.folder = folder;
  RegCloseKey(key);
  return s;
}

void SaveSettings(const ViewerSettings& s) {
  // The SDK writes its first-run defaults (24-bit colour, the full picture)
  // only when its key does not exist yet: the viewer never creates that key
  // itself, or a later first run with a camera would start without them.
  HKEY sdk = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSdkKey, 0, KEY_READ, &sdk) != ERROR_SUCCESS) return;
  RegCloseKey(sdk);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  WriteInt(key, L"Left", s.left);
  WriteInt(key, L"Top", s.top);
  WriteInt(key, L"Width", s.width);
  WriteInt(key, L"Height", s.height);
  WriteInt(key, L"Maximized", s.maximized);
  WriteInt(key, L"Camera", s.camera);
  WriteInt(key, L"Zoom", static_cast<int>(s.zoom));
  WriteInt(key, L"Histogram", s.histogram);
  WriteInt(key, L"LogScale", s.logScale);
  WriteInt(key, L"Clipping", s.clipping);
  WriteInt(key, L"RecordSeconds", s.recordSeconds);
  WriteInt(key, L"ImageFormat", s.imageFormat);
  RegSetValueExW(key, L"Folder", 0, REG_SZ, reinterpret_cast<const BYTE*>(s.folder.c_str()),
                 static_cast<DWORD>((s.folder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace korvex::viewer
