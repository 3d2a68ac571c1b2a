// Ownership of the user-interface handles: windows, GDI objects, icons, menus, image lists.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace platform::win32 {

struct WindowDestroyer {
  // The window may be gone already (destroyed with its parent): nothing to report then.
  void operator()(HWND h) const { static_cast<void>(IsWindow(h) && DestroyWindow(h)); }
};
struct GdiObjectDeleter {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct IconDestroyer {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct MenuDestroyer {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct ImageListDestroyer {
  void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};

using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDestroyer>;

}  // namespace platform::win32
