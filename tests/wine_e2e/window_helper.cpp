// What a user's hands do in the end-to-end run, for the program under Wine:
//
//   window_helper watch <file>   every 100 ms, notes each message box ("Aviso do Sistema" or
//                                "vandrel Virazuzor") and each text that a notice window shows, one
//                                UTF-8 line each: kind, tab, the owning program's path, tab, its
//                                text (line breaks as "\r"), and closes the message boxes, which
//                                would block the program, unless a file "boxes.wait" lies beside
//                                that program: then its boxes wait until that file goes. Runs
//                                until <file>.stop appears.
//   window_helper sair <exe>     chooses "&Sair" in the menu of the main window that the program
//                                <exe> (a full path) shows; exit code 1 when there is none.
//   window_helper abrir <exe>    chooses "&Abrir vandrel Virazuzor" there: the status window shows.
//   window_helper labels <exe>   writes the texts of that window's labels, UTF-8, "\r" between.
//   window_helper tray <exe>     asks the shell whether it holds the notification-area icon of
//                                that window (id 0) and writes "present" or "absent", then
//                                "shown" or "hidden" for the window itself.
//   window_helper drop-icon <exe>  removes that icon from the shell, as a shell that ends and
//                                starts again loses every icon; writes "removed" or "refused".
//   window_helper taskbar-created <exe>  sends the shell's registered message "TaskbarCreated"
//                                to that program's top-level windows as Windows broadcasts it
//                                once the shell is back: only to those visible or without an
//                                owner (Wine itself tells every one).
//   window_helper close-app <exe>  asks that program's top-level windows to close as the Restart
//                                Manager does: WM_QUERYENDSESSION, then WM_ENDSESSION, both with
//                                ENDSESSION_CLOSEAPP; writes "agreed" when every window agreed.
//   window_helper hold <file>    holds the file open without delete sharing, as a Windows server
//                                holds its open database, so that renaming it fails; makes
//                                <file>.held once it holds it and lets go when that goes.
// A test tool, never shipped.
#include "platform/win32/windows_header.h"
// After windows_header.h, which it needs.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/main_window.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/window_text.h"

namespace {

using platform::win32::WindowText;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring ProgramOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const platform::win32::KernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process.Valid()) return L"?";
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) size = 0;
  path.resize(size);
  return path;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The texts of a window's static children, in order, joined by "\r".
std::wstring StaticTexts(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&children));
  std::wstring text;
  for (HWND child : children) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) continue;
    const std::wstring part = WindowText(child);
    if (part.empty()) continue;
    if (!text.empty()) text += L'\r';
    text += part;
  }
  return text;
}

std::wstring Escaped(std::wstring text) {
  for (auto& c : text) {
    if (c == L'\n' || c == L'\t') c = L' ';
  }
  std::wstring out;
  for (wchar_t c : text) out += c == L'\r' ? std::wstring(L"\\r") : std::wstring(1, c);
  return out;
}

void Note(const std::wstring& file, const std::wstring& line) {
  const std::string bytes = Utf8(line) + "\n";
  if (FILE* out = _wfopen(file.c_str(), L"ab")) {
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
}

// Whether the program's boxes are to wait: a file "boxes.wait" beside it.
bool BoxesWait(const std::wstring& program) {
  const std::size_t cut = program.rfind(L'\\');
  if (cut == std::wstring::npos) return false;
  return GetFileAttributesW((program.substr(0, cut + 1) + L"boxes.wait").c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

int Watch(const std::wstring& file) {
  const std::wstring stop = file + L".stop";
  std::map<HWND, std::wstring> noted;  // a notice is noted again when its text changes
  std::set<HWND> closed;
  while (GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
    for (HWND window : TopLevelWindows()) {
      if (!IsWindowVisible(window)) continue;
      const std::wstring kind = ClassOf(window);
      const std::wstring caption = WindowText(window);
      const bool box =
          kind == L"#32770" && (caption == L"Aviso do Sistema" || caption == L"vandrel Virazuzor");
      const bool notice = kind == L"TfrmMensagemConfirmarGenerica";
      if (!box && !notice) continue;
      const std::wstring text = caption + L": " + StaticTexts(window);
      const std::wstring program = ProgramOf(window);
      const auto seen = noted.find(window);
      if (seen == noted.end() || (!box && seen->second != text)) {
        noted[window] = text;
        Note(file, (box ? L"box\t" : L"notice\t") + program + L"\t" + Escaped(text));
      }
      // The box must go, or the program under test waits for ever.
      if (box && !closed.contains(window) && !BoxesWait(program)) {
        closed.insert(window);
        PostMessageW(window, WM_COMMAND, IDOK, 0);
      }
    }
    Sleep(100);
  }
  return 0;
}

HWND MainWindowOf(const std::wstring& program) {
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) != L"TfrmPrincipal") continue;
    if (_wcsicmp(ProgramOf(window).c_str(), program.c_str()) == 0) return window;
  }
  return nullptr;
}

int Command(const std::wstring& program, int id) {
  HWND window = MainWindowOf(program);
  if (!window) return 1;
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return 0;
}

void Print(const std::string& text) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(text.data(), 1, text.size(), stdout);
}

int Labels(const std::wstring& program) {
  HWND window = MainWindowOf(program);
  if (!window) return 1;
  Print(Utf8(StaticTexts(window)) + "\n");
  return 0;
}

// The shell answers a change of nothing (no flags) for an icon it holds, and refuses it for
// one it does not: a question that changes no icon.
NOTIFYICONDATAW IconOf(HWND window) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = window;
  icon.uID = 0;
  return icon;
}

int Tray(const std::wstring& program) {
  HWND window = MainWindowOf(program);
  if (!window) return 1;
  NOTIFYICONDATAW icon = IconOf(window);
  const bool present = Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
  Print(std::string(present ? "present " : "absent ") +
        (IsWindowVisible(window) ? "shown" : "hidden") + "\n");
  return 0;
}

int DropIcon(const std::wstring& program) {
  HWND window = MainWindowOf(program);
  if (!window) return 1;
  NOTIFYICONDATAW icon = IconOf(window);
  Print(Shell_NotifyIconW(NIM_DELETE, &icon) ? "removed\n" : "refused\n");
  return 0;
}

int TaskbarCreated(const std::wstring& program) {
  if (!MainWindowOf(program)) return 1;
  const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  for (HWND window : TopLevelWindows()) {
    if (_wcsicmp(ProgramOf(window).c_str(), program.c_str()) != 0) continue;
    if (!IsWindowVisible(window) && GetWindow(window, GW_OWNER) != nullptr) continue;
    // Returns when the program has handled it.
    SendMessageW(window, message, 0, 0);
  }
  return 0;
}

int CloseApp(const std::wstring& program) {
  if (!MainWindowOf(program)) return 1;
  std::vector<HWND> windows = TopLevelWindows();
  std::erase_if(windows, [&](HWND w) { return _wcsicmp(ProgramOf(w).c_str(), program.c_str()); });
  bool agreed = true;
  for (HWND window : windows) {
    agreed = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP) != FALSE && agreed;
  }
  for (HWND window : windows) SendMessageW(window, WM_ENDSESSION, agreed, ENDSESSION_CLOSEAPP);
  Print(agreed ? "agreed\n" : "refused\n");
  return 0;
}

int Hold(const std::wstring& file) {
  const platform::win32::KernelHandle held(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held.Valid()) return 1;
  const std::wstring marker = file + L".held";
  const platform::win32::KernelHandle made(CreateFileW(
      marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!made.Valid()) return 1;
  while (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(100);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"watch") return Watch(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"sair") {
    return Command(argv[2], platform::main_control::kSair1);
  }
  if (argc == 3 && std::wstring(argv[1]) == L"abrir") {
    return Command(argv[2], platform::main_control::kPmnuiOpen);
  }
  if (argc == 3 && std::wstring(argv[1]) == L"labels") return Labels(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"tray") return Tray(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"drop-icon") return DropIcon(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"taskbar-created") return TaskbarCreated(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"close-app") return CloseApp(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"hold") return Hold(argv[2]);
  std::fputs(
      "usage: window_helper watch <file> | sair <exe> | abrir <exe> | labels <exe> | tray <exe>"
      " | drop-icon <exe> | taskbar-created <exe> | close-app <exe> | hold <file>\n",
      stderr);
  return 2;
}
