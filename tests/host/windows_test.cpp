// On-screen windows of the host: classes, frames and placement, parents and
// children, visibility and focus, and drawing through a window's device
// context.
#include "korvex/host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kTopLevel = 0x16CF0000u;  // overlapped window, visible, clipping
constexpr uint32_t kChild = 0x52000000u;     // child, visible, clip children

class HostWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    instance_ = KorvexHost_ProcessId();
    KorvexHostWindowClass c{};
    c.instance = instance_;
    c.cursor = KORVEX_HOST_IDC_ARROW;
    c.background = KORVEX_HOST_BLACK_BRUSH;
    c.name = "HostWindowsTest";
    ASSERT_NE(KorvexHost_RegisterClass(&c), 0);
  }
  void TearDown() override {
    for (KorvexHostWindow w : windows_) KorvexHost_DestroyWindow(w);
    EXPECT_EQ(KorvexHost_UnregisterClass("HostWindowsTest", instance_), 1);
    KorvexHost_SetWindowFaults(0);
    KorvexHost_SetScreenSize(1920, 1080);
  }
  KorvexHostWindow Make(uint32_t style, int x, int y, int w, int h,
                        KorvexHostWindow parent = nullptr,
                        const char* className = "HostWindowsTest") {
    KorvexHostWindow window =
        KorvexHost_CreateWindow(0, className, "title", style, x, y, w, h, parent, 7, instance_);
    if (window) windows_.push_back(window);
    return window;
  }
  static KorvexHostRect Client(KorvexHostWindow w) {
    KorvexHostRect r{-1, -1, -1, -1};
    KorvexHost_GetClientRect(w, &r);
    return r;
  }
  static std::vector<uint8_t> Pixels(KorvexHostWindow w) {
    const KorvexHostRect r = Client(w);
    std::vector<uint8_t> out(static_cast<size_t>(r.right) * r.bottom * 3);
    EXPECT_EQ(KorvexHost_ReadClientPixels(w, out.data(), out.size()), 1);
    return out;
  }

  uint64_t instance_ = 0;
  std::vector<KorvexHostWindow> windows_;
};

TEST_F(HostWindows, ClassesAreUniquePerInstanceAndStayWhileTheirWindowsLive) {
  KorvexHostWindowClass info{};
  ASSERT_EQ(KorvexHost_GetClassInfo("hostwindowstest", instance_, &info), 1);
  EXPECT_STREQ(info.name, "HostWindowsTest");
  EXPECT_EQ(info.cursor, KORVEX_HOST_IDC_ARROW);
  EXPECT_EQ(info.background, KORVEX_HOST_BLACK_BRUSH);

  KorvexHostWindowClass again{};
  again.instance = instance_;
  again.name = "HOSTWINDOWSTEST";
  EXPECT_EQ(KorvexHost_RegisterClass(&again), 0) << "names compare without case";
  again.instance = instance_ + 1;
  ASSERT_NE(KorvexHost_RegisterClass(&again), 0) << "another module may use the name";
  EXPECT_EQ(KorvexHost_UnregisterClass("HOSTWINDOWSTEST", instance_ + 1), 1);
  again.name = "";
  EXPECT_EQ(KorvexHost_RegisterClass(&again), 0);

  KorvexHostWindow w = Make(kTopLevel, 0, 0, 100, 100);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(KorvexHost_UnregisterClass("HostWindowsTest", instance_), 0)
      << "a window still uses it";
  EXPECT_EQ(Make(kTopLevel, 0, 0, 10, 10, nullptr, "NoSuchClass"), nullptr);
  EXPECT_EQ(KorvexHost_CreateWindow(0, "HostWindowsTest", "", kTopLevel, 0, 0, 10, 10, nullptr, 0,
                                    instance_ + 1),
            nullptr)
      << "the class belongs to another module";
}

TEST_F(HostWindows, FramesOfTheStylesAndTheClientAreaTheyLeave) {
  auto adjust = [](uint32_t style, int menu, uint32_t ex) {
    KorvexHostRect r{0, 0, 100, 50};
    EXPECT_EQ(KorvexHost_AdjustWindowRectEx(&r, style, menu, ex), 1);
    return std::vector<int>{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_EQ(adjust(kTopLevel, 0, 0), (std::vector<int>{-4, -23, 104, 54}));
  EXPECT_EQ(adjust(kTopLevel, 1, 0), (std::vector<int>{-4, -42, 104, 54}));
  EXPECT_EQ(adjust(kChild, 0, 0), (std::vector<int>{0, 0, 100, 50}));
  EXPECT_EQ(adjust(KORVEX_HOST_WS_CAPTION, 0, 0), (std::vector<int>{-3, -22, 103, 53}));
  EXPECT_EQ(adjust(KORVEX_HOST_WS_BORDER, 0, KORVEX_HOST_WS_EX_CLIENTEDGE),
            (std::vector<int>{-3, -3, 103, 53}));
  KorvexHost_SetWindowFaults(KORVEX_HOST_WINDOW_FAIL_ADJUST);
  KorvexHostRect r{};
  EXPECT_EQ(KorvexHost_AdjustWindowRectEx(&r, kTopLevel, 0, 0), 0);
  KorvexHost_SetWindowFaults(0);

  // A window of the adjusted outer size has the client size asked for.
  KorvexHostRect outer{0, 0, 640, 480};
  KorvexHost_AdjustWindowRectEx(&outer, kTopLevel, 0, 0);
  KorvexHostWindow w = Make(kTopLevel, 5, 6, outer.right - outer.left, outer.bottom - outer.top);
  const KorvexHostRect client = Client(w);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  ASSERT_EQ(KorvexHost_MoveWindow(w, 0, 0, 7, 20), 1);
  EXPECT_EQ(Client(w).right, 0) << "a frame wider than the window leaves nothing";
  EXPECT_EQ(Client(w).bottom, 0);
}

TEST_F(HostWindows, ChildrenSitInTheirParentAndDieWithIt) {
  KorvexHostWindow message = KorvexHost_CreateMessageWindow();
  EXPECT_EQ(Make(kChild, 0, 0, 10, 10, nullptr), nullptr) << "a child needs a parent";
  EXPECT_EQ(Make(kChild, 0, 0, 10, 10, message), nullptr) << "a message window holds no children";
  EXPECT_EQ(Make(kTopLevel, 0, 0, 10, 10, message), nullptr);

  KorvexHostWindow parent = Make(kTopLevel, 100, 100, 800, 600);
  KorvexHostWindow child = Make(kChild, 10, 20, 640, 480, parent);
  ASSERT_NE(child, nullptr);
  KorvexHostWindowInfo info{};
  ASSERT_EQ(KorvexHost_GetWindowInfo(child, &info), 1);
  EXPECT_STREQ(info.className, "HostWindowsTest");
  EXPECT_STREQ(info.title, "title");
  EXPECT_EQ(info.parent, parent);
  EXPECT_EQ(info.id, 7u);
  EXPECT_EQ(info.style, kChild);
  EXPECT_EQ(std::vector<int>({info.x, info.y, info.width, info.height}),
            (std::vector<int>{10, 20, 640, 480}));
  EXPECT_EQ(Client(child).right, 640);
  EXPECT_EQ(KorvexHost_FindWindowEx(parent, nullptr, nullptr, "title"), child);
  EXPECT_EQ(KorvexHost_FindWindowEx(parent, child, nullptr, nullptr), nullptr);
  EXPECT_EQ(KorvexHost_FindWindowEx(nullptr, nullptr, "hostwindowstest", nullptr), parent);

  // Posting works on screen windows as on message windows; destroying the
  // parent destroys the child and discards what was queued for either.
  EXPECT_EQ(KorvexHost_PostMessage(child, 1234, 1, 2), 1);
  EXPECT_EQ(KorvexHost_PendingMessages(child), 1);
  ASSERT_EQ(KorvexHost_SetFocus(child), nullptr);
  EXPECT_EQ(KorvexHost_DestroyWindow(parent), 1);
  EXPECT_EQ(KorvexHost_IsWindow(child), 0);
  EXPECT_EQ(KorvexHost_PostMessage(child, 1234, 1, 2), 0);
  EXPECT_EQ(KorvexHost_GetFocus(), nullptr);
  EXPECT_EQ(KorvexHost_DestroyWindow(child), 0);

  EXPECT_EQ(KorvexHost_PostMessage(message, 99, 0, 0), 1);
  KorvexHostMessage got{};
  EXPECT_EQ(KorvexHost_GetMessage(message, &got, 0), 1);
  EXPECT_EQ(got.message, 99u);
  EXPECT_EQ(KorvexHost_DestroyWindow(message), 1);
}

TEST_F(HostWindows, VisibilityFollowsShowWindowAndTheParent) {
  KorvexHostWindow parent = Make(kTopLevel & ~KORVEX_HOST_WS_VISIBLE, 0, 0, 300, 300);
  KorvexHostWindow child = Make(kChild, 0, 0, 50, 50, parent);
  EXPECT_EQ(KorvexHost_IsWindowVisible(child), 0) << "the parent is hidden";
  EXPECT_EQ(KorvexHost_ShowWindow(parent, KORVEX_HOST_SW_SHOW), 0);
  EXPECT_EQ(KorvexHost_IsWindowVisible(child), 1);
  EXPECT_EQ(KorvexHost_ShowWindow(child, KORVEX_HOST_SW_HIDE), 1);
  EXPECT_EQ(KorvexHost_IsWindowVisible(child), 0);
  EXPECT_EQ(KorvexHost_IsWindowVisible(parent), 1);

  EXPECT_EQ(KorvexHost_ShowWindow(parent, KORVEX_HOST_SW_MINIMIZE), 1);
  EXPECT_EQ(Client(parent).right, 0);
  EXPECT_EQ(Client(parent).bottom, 0);
  KorvexHost_ShowWindow(parent, KORVEX_HOST_SW_RESTORE);
  EXPECT_EQ(Client(parent).right, 292);
  EXPECT_EQ(KorvexHost_UpdateWindow(parent), 1);
  KorvexHost_SetWindowFaults(KORVEX_HOST_WINDOW_FAIL_UPDATE);
  EXPECT_EQ(KorvexHost_UpdateWindow(parent), 0);
  KorvexHost_SetWindowFaults(0);

  EXPECT_EQ(KorvexHost_GetSystemMetrics(KORVEX_HOST_SM_CXSCREEN), 1920);
  EXPECT_EQ(KorvexHost_GetSystemMetrics(KORVEX_HOST_SM_CYSCREEN), 1080);
  KorvexHost_SetScreenSize(800, 600);
  EXPECT_EQ(KorvexHost_GetSystemMetrics(KORVEX_HOST_SM_CXSCREEN), 800);
}

TEST_F(HostWindows, DrawingThroughTheWindowDeviceContext) {
  KorvexHostWindow w = Make(kChild & ~KORVEX_HOST_WS_CHILD, 0, 0, 4, 3);  // popup-like: no frame
  ASSERT_NE(w, nullptr);
  KorvexHostDC dc = KorvexHost_GetDC(w);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(KorvexHost_GetDC(w), dc);
  EXPECT_EQ(KorvexHost_ReleaseDC(w, dc), 1);
  EXPECT_EQ(KorvexHost_ReleaseDC(w, nullptr), 0);
  EXPECT_EQ(Pixels(w), std::vector<uint8_t>(36, 0)) << "the black class brush";

  // A 2 x 2 bottom-up 24-bit picture: top row (1, 2), bottom row (3, 4).
  KorvexHostBitmapInfoHeader h{40, 2, 2, 1, 24, 0, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  KorvexHostBitmap bitmap = KorvexHost_CreateDIBSection(&h, &bits);
  ASSERT_NE(bitmap, nullptr);
  uint8_t* p = static_cast<uint8_t*>(bits);
  const uint8_t bottom[6] = {3, 3, 3, 4, 4, 4}, top[6] = {1, 1, 1, 2, 2, 2};
  std::memcpy(p, bottom, 6);
  std::memcpy(p + 8, top, 6);
  KorvexHostDC memory = KorvexHost_CreateCompatibleDC(nullptr);
  KorvexHost_SelectObject(memory, bitmap);
  ASSERT_EQ(KorvexHost_BitBlt(dc, 1, 1, 2, 2, memory, 0, 0, KORVEX_HOST_SRCCOPY), 1);
  std::vector<uint8_t> pixels = Pixels(w);
  EXPECT_EQ(pixels[(1 * 4 + 1) * 3], 1);
  EXPECT_EQ(pixels[(1 * 4 + 2) * 3], 2);
  EXPECT_EQ(pixels[(2 * 4 + 1) * 3], 3);
  EXPECT_EQ(pixels[(2 * 4 + 2) * 3 + 2], 4);
  EXPECT_EQ(pixels[0], 0);
  std::vector<uint8_t> tooSmall(35);
  EXPECT_EQ(KorvexHost_ReadClientPixels(w, tooSmall.data(), tooSmall.size()), 0);

  // A new size gets a fresh surface in the background colour; the context
  // stays the same.
  ASSERT_EQ(KorvexHost_MoveWindow(w, 0, 0, 5, 2), 1);
  EXPECT_EQ(KorvexHost_GetDC(w), dc);
  EXPECT_EQ(Pixels(w), std::vector<uint8_t>(30, 0));
  ASSERT_EQ(KorvexHost_StretchBlt(dc, 0, 0, 5, 2, memory, 0, 2, 2, -2, KORVEX_HOST_SRCCOPY), 1);
  pixels = Pixels(w);
  EXPECT_EQ(pixels[0], 3) << "flipped: the bottom row on top";
  EXPECT_EQ(pixels[(1 * 5 + 4) * 3], 2);

  EXPECT_EQ(KorvexHost_DestroyWindow(w), 1);
  EXPECT_EQ(KorvexHost_BitBlt(dc, 0, 0, 2, 2, memory, 0, 0, KORVEX_HOST_SRCCOPY), 0)
      << "the context went with the window";
  KorvexHost_DeleteDC(memory);
  KorvexHost_DeleteObject(bitmap);

  KorvexHostWindowClass white{};
  white.instance = instance_;
  white.background = KORVEX_HOST_WHITE_BRUSH;
  white.name = "HostWindowsWhite";
  ASSERT_NE(KorvexHost_RegisterClass(&white), 0);
  KorvexHostWindow v =
      KorvexHost_CreateWindow(0, "HostWindowsWhite", "", 0, 0, 0, 2, 2, nullptr, 0, instance_);
  EXPECT_EQ(Pixels(v), std::vector<uint8_t>(12, 255));
  KorvexHost_SetWindowFaults(KORVEX_HOST_WINDOW_FAIL_GETDC);
  EXPECT_EQ(KorvexHost_GetDC(v), nullptr);
  KorvexHost_SetWindowFaults(0);
  ASSERT_NE(KorvexHost_GetDC(v), nullptr);
  EXPECT_EQ(Pixels(v), std::vector<uint8_t>(12, 255));
  EXPECT_EQ(KorvexHost_DestroyWindow(v), 1);
  EXPECT_EQ(KorvexHost_UnregisterClass("HostWindowsWhite", instance_), 1);
}

}  // namespace
