// The notice window: a top-level window without border icons, Tahoma 8, its controls built
// from the layout, Panel1 kept at the bottom edge.
#include "platform/notice_window.h"

#include "platform/win32/windows_header.h"

#include <map>

#include "platform/win32/controls.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/window_text.h"

namespace platform {

namespace {

constexpr wchar_t kNoticeWindowClass[] = L"TfrmMensagemConfirmarGenerica";
// Single fixed border with a caption but no system menu: no border icons at all.
constexpr DWORD kNoticeStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kNoticeExStyle = WS_EX_CONTROLPARENT;

class Win32NoticeWindow final : public NoticeWindow {
 public:
  explicit Win32NoticeWindow(const WindowLayout& layout);
  // The window goes first, while its font and images still exist, and sends nothing more to
  // this object on its way.
  ~Win32NoticeWindow() override {
    win32::DetachWindowObject(window_.get());
    window_.reset();
  }
  Win32NoticeWindow(const Win32NoticeWindow&) = delete;
  Win32NoticeWindow& operator=(const Win32NoticeWindow&) = delete;

  void SetHandlers(NoticeWindowHandlers handlers) override { handlers_ = std::move(handlers); }
  void Show() override { ShowWindow(window_.get(), SW_SHOW); }
  void Hide() override { ShowWindow(window_.get(), SW_HIDE); }
  bool Visible() const override { return IsWindowVisible(window_.get()) != FALSE; }
  void SetConfirmationVisible(bool visible) override {
    for (int id : {notice_control::kPanel1, notice_control::kCkbConcordo, notice_control::kBtnOk}) {
      ShowWindow(Control(id), visible ? SW_SHOW : SW_HIDE);
    }
  }
  void SetSize(int width, int height) override {
    SetWindowPos(window_.get(), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(window_.get(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  void SetMessage(const std::wstring& text) override {
    win32::SetLabelTextNow(Control(notice_control::kLblMensagem), text, false);
  }
  std::wstring Message() const override {
    return win32::WindowText(Control(notice_control::kLblMensagem));
  }
  bool ConcordoChecked() const override {
    return SendMessageW(Control(notice_control::kCkbConcordo), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetConcordoChecked(bool checked) override {
    SendMessageW(Control(notice_control::kCkbConcordo), BM_SETCHECK,
                 checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (handlers_.concordoClick) handlers_.concordoClick();
  }
  void SetOkEnabled(bool enabled) override {
    EnableWindow(Control(notice_control::kBtnOk), enabled ? TRUE : FALSE);
  }
  bool OkEnabled() const override {
    return IsWindowEnabled(Control(notice_control::kBtnOk)) != FALSE;
  }
  void Close() override { SendMessageW(window_.get(), WM_CLOSE, 0, 0); }

  LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
  }

  // What the controls use is declared before the window, so that it outlives the window.
  win32::UniqueFont font_;
  win32::ControlResources resources_;
  std::map<int, HWND> controls_;
  NoticeWindowHandlers handlers_;
  win32::UniqueWindow window_;
};

Win32NoticeWindow::Win32NoticeWindow(const WindowLayout& layout) {
  win32::RegisterFormClass(kNoticeWindowClass, win32::ForwardToWindowObject<Win32NoticeWindow>);
  const SIZE size = win32::WindowSizeForClient(layout.clientWidth, layout.clientHeight,
                                               kNoticeStyle, kNoticeExStyle);
  const std::wstring caption(layout.caption);
  font_ = win32::CreateLayoutFont(layout.fontName, layout.fontPoints, false);
  window_.reset(CreateWindowExW(kNoticeExStyle, kNoticeWindowClass, caption.c_str(), kNoticeStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this));
  for (const ControlLayout& row : layout.controls) {
    HWND holder = row.parent != 0 ? Control(row.parent) : window_.get();
    controls_[row.id] =
        win32::CreateLayoutControl(holder, row, font_.get(), font_.get(), resources_);
  }
}

LRESULT Win32NoticeWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == notice_control::kBtnOk && handlers_.okClick) {
          handlers_.okClick();
          return 0;
        }
        if (LOWORD(wParam) == notice_control::kCkbConcordo && handlers_.concordoClick) {
          handlers_.concordoClick();
          return 0;
        }
      }
      break;
    case WM_SIZE: {
      // Panel1 is aligned to the bottom edge and spans the width.
      if (HWND panel = Control(notice_control::kPanel1)) {
        RECT panelRect{};
        GetWindowRect(panel, &panelRect);
        const int height = panelRect.bottom - panelRect.top;
        SetWindowPos(panel, nullptr, 0, HIWORD(lParam) - height, LOWORD(lParam), height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    }
    case WM_CLOSE:
      if (handlers_.close) handlers_.close();
      return 0;  // the close handler decides what becomes of the window
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<NoticeWindow> CreateNoticeWindow(const WindowLayout& layout) {
  return std::make_unique<Win32NoticeWindow>(layout);
}

}  // namespace platform
