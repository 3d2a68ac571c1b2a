#include "platform/win32/controls.h"

#include <string>

#include "platform/win32/window_text.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kContainerClass[] = L"VirazuzorContainer";
constexpr wchar_t kTiledPanelClass[] = L"VirazuzorTiledPanel";
constexpr int kTiledEdge = 2;  // the etched edge's width on each side, outside the client area
constexpr COLORREF kTransparentColour = RGB(255, 0, 255);
// Marks a bevel among the owner-drawn statics (the user data of a static is ours to use).
constexpr LONG_PTR kBevelMarker = 0x4265764C;

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_DRAWITEM:
      if (message == WM_DRAWITEM && DrawBevel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
        return TRUE;
      }
      return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// A panel framed by an etched edge all round, in its frame: the client area, where its
// controls are placed, lies inside the edge.
LRESULT CALLBACK TiledPanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCALCSIZE:
      // lParam is the window's rectangle, or a record that begins with it.
      InflateRect(reinterpret_cast<RECT*>(lParam), -kTiledEdge, -kTiledEdge);
      return 0;
    case WM_NCPAINT: {
      const WindowDC dc(hwnd, WindowDC::Area::Whole);
      RECT rect{};
      GetWindowRect(hwnd, &rect);
      OffsetRect(&rect, -rect.left, -rect.top);
      DrawEdge(dc.Get(), &rect, EDGE_ETCHED, BF_RECT);
      return 0;
    }
    default:
      return ContainerProc(hwnd, message, wParam, lParam);
  }
}

const wchar_t* TiledPanelClassName() {
  static const bool registered = (RegisterFormClass(kTiledPanelClass, TiledPanelProc), true);
  static_cast<void>(registered);
  return kTiledPanelClass;
}

// The two glyphs as the six button states: normal, hot, pressed, disabled, default, stylus.
UniqueImageList ButtonImageList(int bitmapId) {
  UniqueBitmap bitmap(
      static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!bitmap) return nullptr;
  UniqueImageList glyphs(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0));
  if (!glyphs || ImageList_AddMasked(glyphs.get(), bitmap.get(), kTransparentColour) < 0) {
    return nullptr;
  }
  UniqueIcon enabled(ImageList_GetIcon(glyphs.get(), 0, ILD_NORMAL));
  UniqueIcon disabled(ImageList_GetIcon(
      glyphs.get(), ImageList_GetImageCount(glyphs.get()) > 1 ? 1 : 0, ILD_NORMAL));
  UniqueImageList states(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 6, 0));
  if (!states || !enabled || !disabled) return nullptr;
  for (HICON icon : {enabled.get(), enabled.get(), enabled.get(), disabled.get(), enabled.get(),
                     enabled.get()}) {
    ImageList_AddIcon(states.get(), icon);
  }
  return states;
}

}  // namespace

UniqueFont CreateLayoutFont(std::wstring_view name, int points, bool bold) {
  LOGFONTW font{};
  {
    const WindowDC screen(nullptr);
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
  }
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  name.copy(font.lfFaceName, LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&font));
}

void RegisterFormClass(const wchar_t* name, WNDPROC procedure, HICON icon) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);  // fails only when registered already
}

const wchar_t* ContainerClassName() {
  static const bool registered = (RegisterFormClass(kContainerClass, ContainerProc), true);
  static_cast<void>(registered);
  return kContainerClass;
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
  RECT rect{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

HWND CreateLayoutControl(HWND parent, const ControlLayout& row, HFONT font, HFONT boldFont,
                         ControlResources& resources) {
  const std::wstring text(row.text);
  const wchar_t* windowClass = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  switch (row.kind) {
    case ControlKind::Label:
      style |= SS_NOPREFIX;
      if (row.style & kCentred) {
        style |= SS_CENTER;
      } else if (row.style & kWordWrap) {
        style |= SS_LEFT | SS_EDITCONTROL;
      } else {
        style |= SS_LEFTNOWORDWRAP;
      }
      break;
    case ControlKind::Bevel:
      style |= SS_OWNERDRAW;
      break;
    case ControlKind::ImageButton:
      windowClass = L"BUTTON";
      style |= BS_PUSHBUTTON;
      break;
    case ControlKind::CheckBox:
      windowClass = L"BUTTON";
      style |= BS_AUTOCHECKBOX;
      break;
    case ControlKind::Panel:
      windowClass = (row.style & kTiledBevel) ? TiledPanelClassName() : ContainerClassName();
      style |= WS_CLIPCHILDREN;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
  }
  if (row.style & kTabStop) style |= WS_TABSTOP;
  if (row.style & kDisabled) style |= WS_DISABLED;
  HWND control = CreateWindowExW(
      exStyle, windowClass, text.c_str(), style, row.left, row.top, row.width, row.height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), GetModuleHandleW(nullptr), nullptr);
  if (!control) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>((row.style & kBold) ? boldFont : font),
               FALSE);
  if (row.kind == ControlKind::Bevel) SetWindowLongPtrW(control, GWLP_USERDATA, kBevelMarker);
  if (row.kind == ControlKind::Label && (row.style & kAutoSize)) SizeLabelToText(control);
  if (row.kind == ControlKind::ImageButton && row.bitmap != 0) {
    if (UniqueImageList list = ButtonImageList(row.bitmap)) {
      BUTTON_IMAGELIST image{list.get(), {4, 0, 2, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
      // Without the version 6 common controls the button keeps its text only; nothing to do.
      static_cast<void>(
          SendMessageW(control, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image)));
      resources.imageLists.push_back(std::move(list));
    }
  }
  return control;
}

void SizeLabelToText(HWND label) {
  const std::wstring text = WindowText(label);
  TEXTMETRICW metrics{};
  SIZE extent{};
  {
    const WindowDC dc(label);
    const SelectedObject font(dc.Get(),
                              reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc.Get(), &metrics);
    extent = SIZE{0, metrics.tmHeight};
    if (!text.empty()) {
      GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
  }
  SetWindowPos(label, nullptr, 0, 0, extent.cx, metrics.tmHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool DrawBevel(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_STATIC || GetWindowLongPtrW(item.hwndItem, GWLP_USERDATA) != kBevelMarker)
    return false;
  RECT rect = item.rcItem;
  FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &rect, EDGE_ETCHED, BF_TOP);
  return true;
}

void SetLabelTextNow(HWND label, const std::wstring& text, bool autoSize) {
  HWND parent = GetParent(label);
  RECT before{};
  GetWindowRect(label, &before);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&before), 2);
  SetWindowTextW(label, text.c_str());
  if (autoSize) {
    SizeLabelToText(label);
    InvalidateRect(parent, &before, TRUE);  // what a shorter text uncovers
    UpdateWindow(parent);
  }
  InvalidateRect(label, nullptr, TRUE);
  UpdateWindow(label);
}

}  // namespace platform::win32
