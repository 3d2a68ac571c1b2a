// The scoped Windows types give back exactly what they took, and a window's text reads back
// whole.
#include <gtest/gtest.h>

#include "platform/win32/windows_header.h"

#include <string>

#include "platform/win32/scoped_win.h"
#include "platform/win32/window_text.h"

namespace platform::win32 {
namespace {

// Every kind of object that can be selected into a context is selected back out at the end of
// the scope: the context holds again what it held before, so the object may then be deleted.
TEST(ScopedWinTest, SelectedObjectPutsBackWhatItReplaced) {
  const UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const UniqueFont font(CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH, L"Tahoma"));
  const UniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), 4, 4));
  const UniqueBrush brush(CreateSolidBrush(RGB(10, 20, 30)));
  const UniquePen pen(CreatePen(PS_SOLID, 2, RGB(10, 20, 30)));
  const struct {
    UINT kind;
    HGDIOBJ object;
  } cases[] = {{OBJ_FONT, font.get()},
               {OBJ_BITMAP, bitmap.get()},
               {OBJ_BRUSH, brush.get()},
               {OBJ_PEN, pen.get()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    ASSERT_NE(c.object, nullptr);
    const HGDIOBJ before = GetCurrentObject(dc.get(), c.kind);
    ASSERT_NE(before, c.object);
    {
      const SelectedObject selected(dc.get(), c.object);
      EXPECT_EQ(GetCurrentObject(dc.get(), c.kind), c.object);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), c.kind), before);
  }
}

// Stands in for a COM interface: counts the references given back.
struct CountedInterface {
  int releases = 0;
  unsigned long Release() { return static_cast<unsigned long>(++releases); }
};

TEST(ScopedWinTest, ComPtrReleasesEveryReferenceOnce) {
  CountedInterface first;
  CountedInterface second;
  {
    ComPtr<CountedInterface> pointer;
    *pointer.Receive() = &first;
    *pointer.Receive() = &second;  // a second out-parameter gives back the first reference
    EXPECT_EQ(first.releases, 1);
    EXPECT_EQ(second.releases, 0);
    EXPECT_EQ(pointer.Get(), &second);
  }
  EXPECT_EQ(first.releases, 1);
  EXPECT_EQ(second.releases, 1);
}

TEST(ScopedWinTest, WindowTextReadsTheWholeText) {
  const UniqueWindow window(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                            nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(window);
  const std::wstring texts[] = {L"", L"Conexão estabelecida", std::wstring(5000, L'ç') + L"fim"};
  for (const std::wstring& text : texts) {
    SCOPED_TRACE(text.size());
    ASSERT_TRUE(SetWindowTextW(window.get(), text.c_str()));
    EXPECT_EQ(WindowText(window.get()), text);
  }
  EXPECT_EQ(WindowText(nullptr), L"");
}

}  // namespace
}  // namespace platform::win32
