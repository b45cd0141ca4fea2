// korvex_soak: a long run against the shared SDK as an application would
// use it, on two simulated cameras at once. Per camera one thread cycles
// through the acquisition kinds (live preview with copies, capture mode
// with snapshots, triggered capture, recording); other threads change
// parameters at random, save images, and pull cameras out and plug them
// back. At the end it prints threads, open files and resident memory at the
// start and the end, the count of each operation, and every failure (an
// operation that took too long, an image that is not one frame, a code that
// is not documented). Exit status 1 on any failure.
//
// Usage: korvex_soak [seconds, default 600] [folder for files, default a temporary one]
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCameras = 2;
constexpr int kWidth = 320, kHeight = 240;
constexpr auto kStopBound = std::chrono::seconds(10);

std::atomic<bool> g_running{true};
std::string g_folder;
std::array<KORVEX_HANDLE, kCameras> g_handles{};

std::mutex g_mutex;
std::map<std::string, long> g_counts;
std::vector<std::string> g_failures;

void Count(const std::string& what) {
  std::lock_guard<std::mutex> lock(g_mutex);
  ++g_counts[what];
}
void Fail(const std::string& what) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_failures.size() < 200) g_failures.push_back(what);
  ++g_counts["FAILURE"];
}

struct Resources {
  long threads = 0, files = 0, residentKb = 0;
};
Resources Measure() {
  Resources r;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Threads:", 0) == 0) r.threads = std::atol(line.c_str() + 8);
    if (line.rfind("VmRSS:", 0) == 0) r.residentKb = std::atol(line.c_str() + 6);
  }
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d) != nullptr) ++r.files;
    ::closedir(d);
    r.files -= 3;  // ".", ".." and the directory itself
  }
  return r;
}

// Every code the library may raise.
void CheckCodes(int camera, const char* after) {
  for (uint32_t code; (code = Korvex_GetLastError(g_handles[camera])) != 0;) {
    Count("code " + std::to_string(code));
    if (code == 0 || code > 13 || code == KORVEX_ERR_RESERVED)
      Fail(std::string("undocumented code ") + std::to_string(code) + " after " + after);
  }
}

template <class F>
void Bounded(const std::string& what, F&& f) {
  const Clock::time_point start = Clock::now();
  f();
  if (Clock::now() - start > kStopBound) Fail(what + " took longer than 10 s");
}

// The gray image of a camera, all of it one frame? The scene moves, so only
// the size and the call are checked here; torn frames have their own test.
void Acquirer(int camera, unsigned seed) {
  std::mt19937 random(seed);
  const KORVEX_HANDLE h = g_handles[camera];
  KorvexHostWindow frames = KorvexHost_CreateMessageWindow();
  std::vector<uint8_t> buffer(static_cast<size_t>(kWidth) * kHeight * 8);
  const int size = static_cast<int>(buffer.size());
  while (g_running) {
    const int kind = static_cast<int>(random() % 5);
    const auto hold = std::chrono::milliseconds(200 + random() % 1500);
    switch (kind) {
      case 0:
        Count(
            Korvex_CallBackPreview(h, reinterpret_cast<KORVEX_HWND>(frames), buffer.data(), size, 1)
                ? "preview"
                : "preview refused");
        std::this_thread::sleep_for(hold);
        break;
      case 1:
        if (Korvex_Capture(h)) {
          Count("capture");
          for (int i = 0; i < 5; ++i)
            Count(Korvex_SnapShot(h, buffer.data(), size, i % 2) ? "snapshot" : "snapshot failed");
        } else {
          Count("capture refused");
        }
        break;
      case 2:
        if (Korvex_Trigger(h, reinterpret_cast<KORVEX_HWND>(frames), buffer.data(), size, 1)) {
          Count("trigger");
          for (int i = 0; i < 5; ++i) {
            KorvexHost_SimTrigger(camera);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
          }
        } else {
          Count("trigger refused");
        }
        break;
      case 3: {
        const std::string path = g_folder + "/film" + std::to_string(camera) + ".avi";
        Count(Korvex_Record(h, path.c_str(), static_cast<int>(random() % 800), 0)
                  ? "record"
                  : "record refused");
        std::this_thread::sleep_for(hold);
        std::remove(path.c_str());
        break;
      }
      default: {
        std::vector<uint8_t> image(buffer.size());
        Count(Korvex_GetImage(h, image.data(), size, 1) ? "get image" : "get image refused");
        break;
      }
    }
    Bounded("StopPreview", [&] { Korvex_StopPreview(h); });
    if (random() % 4 == 0) Bounded("Close", [&] { Korvex_Close(h); });
    KorvexHostMessage m;
    while (KorvexHost_GetMessage(frames, &m, 0) == 1)
      Count(m.wParam != 0 ? "frame message" : "frame error " + std::to_string(m.lParam));
    CheckCodes(camera, "acquisition");
  }
  Korvex_Close(h);
  KorvexHost_DestroyWindow(frames);
}

void ParameterChanger(unsigned seed) {
  std::mt19937 random(seed);
  static constexpr int kModes[] = {8, 16, 24, 32, 48, 64};
  while (g_running) {
    const KORVEX_HANDLE h = g_handles[random() % kCameras];
    switch (random() % 6) {
      case 0:
        Korvex_SetFilterValue(h, 1 + static_cast<int>(random() % 28),
                              static_cast<int>(random() % 600) - 300);
        break;
      case 1: Korvex_SetColorMode(h, kModes[random() % 6]); break;
      case 2: Korvex_SetMirrorH(h, static_cast<int>(random() % 2)); break;
      case 3: Korvex_SetExposureTime(h, static_cast<int>(random() % 1015)); break;
      case 4: Korvex_SetAutoIris(h, static_cast<unsigned>(random() % 3)); break;
      default: Korvex_SetWaitTime(h, static_cast<int>(random() % 30)); break;
    }
    Count("parameter");
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 20));
  }
}

void Saver(unsigned seed) {
  std::mt19937 random(seed);
  while (g_running) {
    const int camera = static_cast<int>(random() % kCameras);
    const std::string path = g_folder + "/save" + std::to_string(camera);
    Bounded("SaveImage", [&] {
      Count(Korvex_SaveImage(g_handles[camera], path.c_str(), static_cast<int>(random() % 7))
                ? "save"
                : "save refused");
    });
    std::remove(path.c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(50 + random() % 200));
  }
}

void Unplugger(unsigned seed) {
  std::mt19937 random(seed);
  while (g_running) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2000 + random() % 4000));
    const int camera = static_cast<int>(random() % kCameras);
    KorvexHost_SimUnplug(camera);
    Count("unplug");
    std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 1000));
    KorvexHost_SimPlug(camera);
    Count("replug");
  }
}

void Print(const char* when, const Resources& r) {
  std::printf("%-6s threads %ld, open files %ld, resident %ld kB\n", when, r.threads, r.files,
              r.residentKb);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  std::string temporary;
  if (argc > 2) {
    g_folder = argv[2];
  } else {
    char pattern[] = "/tmp/korvex-soak-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 2;
    g_folder = temporary = pattern;
  }
  // Settings and camera claims of this run only.
  KorvexHost_RegSetRoot((g_folder + "/registry").c_str());
  KorvexHost_SetSharedMemoryNamespace(("korvex-soak-" + std::to_string(::getpid())).c_str());
  KorvexHost_SimReset();
  KorvexHost_SimPlug(1);

  for (int c = 0; c < kCameras; ++c) {
    g_handles[c] = Korvex_Initialize(nullptr);
    if (g_handles[c] == 0 || (c != 0 && Korvex_SetDeviceNumber(g_handles[c], c) != 1)) {
      std::printf("camera %d does not open\n", c);
      return 1;
    }
    Korvex_SetPreviewWindow(g_handles[c], nullptr, 0, 0, 0, 0);
    Korvex_SetCaptureWindowEx(g_handles[c], 2560, 0, kWidth, 2560, 0, kHeight);
    CheckCodes(c, "opening");
  }
  const Resources start = Measure();
  std::printf("soak: %d s, two simulated cameras, files in %s\n", seconds, g_folder.c_str());
  std::vector<std::thread> threads;
  for (int c = 0; c < kCameras; ++c) threads.emplace_back(Acquirer, c, 11u + c);
  threads.emplace_back(ParameterChanger, 21u);
  threads.emplace_back(ParameterChanger, 22u);
  threads.emplace_back(Saver, 31u);
  threads.emplace_back(Unplugger, 41u);
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  g_running = false;
  for (std::thread& t : threads) t.join();
  for (int c = 0; c < kCameras; ++c) {
    if (!KorvexHost_SimIsPlugged(c)) KorvexHost_SimPlug(c);
    CheckCodes(c, "the end");
  }
  const Resources before = Measure();
  for (int c = 0; c < kCameras; ++c) Korvex_Release(g_handles[c]);
  const Resources after = Measure();

  Print("start", start);
  Print("end", before);
  Print("after release", after);
  std::printf("operations:\n");
  for (const auto& [what, count] : g_counts) std::printf("  %-22s %ld\n", what.c_str(), count);
  if (after.threads > start.threads) Fail("threads left after release");
  if (after.files > start.files) Fail("files left open after release");
  KorvexHost_UnlinkSharedMemory("QUOREL_USBCAMERA");
  if (!temporary.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(temporary, ignored);
  }
  std::printf("failures: %zu\n", g_failures.size());
  for (const std::string& f : g_failures) std::printf("  %s\n", f.c_str());
  return g_failures.empty() ? 0 : 1;
}
