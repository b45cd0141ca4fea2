// The tool's operating-system seam on Linux: windows, messages and the
// settings folder come from the host library.
#include "host_seam.h"

#include "korvex/host.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace korvex::tool {

void PrepareHost() {
  const char* ns = std::getenv("KORVEX_SHM_NAMESPACE");
  if (ns != nullptr && ns[0] != '\0') KorvexHost_SetSharedMemoryNamespace(ns);
}

NotifyWindow::NotifyWindow()
    : window_(reinterpret_cast<KORVEX_HWND>(KorvexHost_CreateMessageWindow())) {}

NotifyWindow::~NotifyWindow() {
  if (window_ != nullptr) KorvexHost_DestroyWindow(reinterpret_cast<KorvexHostWindow>(window_));
}

bool NotifyWindow::Wait(Notification* out, uint32_t timeoutMs) {
  KorvexHostMessage message;
  if (!KorvexHost_GetMessage(reinterpret_cast<KorvexHostWindow>(window_), &message, timeoutMs))
    return false;
  out->message = message.message;
  out->wParam = message.wParam;
  out->lParam = message.lParam;
  return true;
}

void NotifyWindow::Flush() {
  KorvexHost_FlushMessages(reinterpret_cast<KorvexHostWindow>(window_));
}

std::string SettingsLocation() {
  std::vector<char> folder(KorvexHost_RegGetRoot(nullptr, 0) + 1);
  KorvexHost_RegGetRoot(folder.data(), folder.size());
  return std::string(folder.data()) + "/HKEY_CURRENT_USER.reg";
}

bool PrepareTerminalProgress() { return isatty(STDOUT_FILENO) != 0; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

int SaveImageTo(KORVEX_HANDLE camera, const std::string& path, int format) {
  return Korvex_SaveImage(camera, path.c_str(), format);
}

int RecordTo(KORVEX_HANDLE camera, const std::string& path, int milliseconds) {
  return Korvex_Record(camera, path.c_str(), milliseconds, 0);
}

int LoadConfigFrom(KORVEX_HANDLE camera, const std::string& path) {
  return Korvex_LoadConfigFileA(camera, path.c_str());
}

bool ReadFileBytes(const std::string& path, uint64_t offset, void* data, size_t size) {
  std::ifstream file(path, std::ios::binary);
  return file.seekg(static_cast<std::streamoff>(offset)) &&
         file.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
}

bool FileSize(const std::string& path, uint64_t* bytes) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return false;
  *bytes = static_cast<uint64_t>(size);
  return true;
}

const char* PathSeparators() { return "/"; }

}  // namespace korvex::tool
