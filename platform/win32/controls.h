// Real controls from layout rows: labels, bevels, image buttons, check boxes, panels, in the
// window's font; shared by the main window and the notice window.
#pragma once

#include <vector>

#include "platform/win32/scoped_win.h"
#include "platform/window_layout.h"

namespace platform::win32 {

// The window's font at the screen's pixels per inch ("MS Sans Serif" 8 pt is -11 at 96).
UniqueFont CreateLayoutFont(std::wstring_view name, int points, bool bold);

// The class of the plain container windows (page, panel): button-face background, and the
// commands and drawing requests of its controls passed up to the top-level window.
const wchar_t* ContainerClassName();

// Registers a window class with the arrow cursor and the button-face background. Registering a
// class a second time fails harmlessly, so callers need not remember.
void RegisterFormClass(const wchar_t* name, WNDPROC procedure, HICON icon = nullptr);

// Cuts the link from a window to its object: every later message, the destruction's among
// them, gets the default handling only. An object calls it before it destroys its window, so
// that no message reaches it while its members go.
inline void DetachWindowObject(HWND hwnd) {
  if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

// The window procedure of a class whose windows hand every message to the object that was
// passed as the creation parameter (its WndProc), until the object detaches itself or the
// window is gone; before and after that, the default handling.
template <class Window>
LRESULT CALLBACK ForwardToWindowObject(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
  const LRESULT result = window->WndProc(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) DetachWindowObject(hwnd);  // the window's last message
  return result;
}

// Client size to window size for a style, at the default placement.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle);

// Everything a window keeps alive for the controls it built.
struct ControlResources {
  std::vector<UniqueImageList> imageLists;
};

// Creates the control of one layout row inside parent. A button's image is loaded from the
// program's resources (two glyphs side by side, magenta drawn transparent); a missing
// resource leaves the button with its text only.
HWND CreateLayoutControl(HWND parent, const ControlLayout& row, HFONT font, HFONT boldFont,
                         ControlResources& resources);

// Sizes an auto-size label to its current text in its font.
void SizeLabelToText(HWND label);

// Draws a bevel (a line at its top edge) for WM_DRAWITEM; true when the item was one.
bool DrawBevel(const DRAWITEMSTRUCT& item);

// Sets a label's text and repaints it (and what it uncovered) at once.
void SetLabelTextNow(HWND label, const std::wstring& text, bool autoSize);

}  // namespace platform::win32
