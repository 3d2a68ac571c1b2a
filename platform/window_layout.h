// A window's layout as data: the controls with their places, texts and styles. The backends
// build real windows from it; the checks read the real windows back against it.
#pragma once

#include <span>
#include <string_view>

namespace platform {

// What a window does after its close handler: stay open, hide, or be destroyed.
enum class CloseAction { None, Hide, Free };

enum class ControlKind { Label, Bevel, ImageButton, CheckBox, Panel };

// Style bits of a control.
inline constexpr unsigned kCentred = 1;      // label text centred
inline constexpr unsigned kBold = 2;         // bold face of the window's font
inline constexpr unsigned kWordWrap = 4;     // label wraps at its width; what does not fit is cut
inline constexpr unsigned kAutoSize = 8;     // label sized to its text (width and height ignored)
inline constexpr unsigned kDisabled = 16;    // starts disabled
inline constexpr unsigned kTabStop = 32;     // reached by the Tab key, in table order
inline constexpr unsigned kTiledBevel = 64;  // panel framed all round by an etched edge

struct ControlLayout {
  int id;  // control id; a button's command
  std::wstring_view name;
  ControlKind kind;
  int left, top, width, height;  // relative to the parent's client area
  std::wstring_view text;
  unsigned style;
  int bitmap;  // resource id of a button's two-glyph image; 0 for none
  int parent;  // id of the panel that holds the control; 0 for the page or client area
};

struct WindowLayout {
  std::wstring_view caption;
  int clientWidth, clientHeight;
  std::wstring_view fontName;
  int fontPoints;
  std::wstring_view pageCaption;            // a page control with one page, or empty for none
  std::span<const ControlLayout> controls;  // in creation order (the tab order follows it)
};

}  // namespace platform
