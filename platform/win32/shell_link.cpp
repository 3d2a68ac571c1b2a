// Shell links through COM, and the desktop folder through the shell's item lists.
#include "platform/shell_link.h"

#include "platform/win32/windows_header.h"
// After windows_header.h, which they need.
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <stdexcept>
#include <type_traits>

#include "platform/shell_link_override.h"
#include "platform/win32/application_window.h"
#include "platform/win32/scoped_win.h"

namespace platform {
namespace {

[[noreturn]] void Fail(const char* what, HRESULT result) {
  char code[16];
  wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
  throw std::runtime_error(std::string(what) + " (" + code + ")");
}

}  // namespace

struct ShellLink::Objects {
  win32::ComPtr<IShellLinkW> link;
  win32::ComPtr<IPersistFile> file;
};

ComApartment::ComApartment() {
  initialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

ComApartment::~ComApartment() {
  if (initialized_) CoUninitialize();
}

ShellLink::ShellLink() : objects_(std::make_unique<Objects>()) {
  win32::ComPtr<IUnknown> object;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    object.Receive());
  if (FAILED(result)) Fail("The shell link object could not be created", result);
  result = object->QueryInterface(IID_IShellLinkW, objects_->link.Receive());
  if (FAILED(result)) Fail("The shell link object has no IShellLinkW interface", result);
  result = objects_->link->QueryInterface(IID_IPersistFile, objects_->file.Receive());
  if (FAILED(result)) Fail("The shell link object has no IPersistFile interface", result);
}

ShellLink::~ShellLink() = default;

bool ShellLink::SetDescription(const std::wstring& description) {
  return SUCCEEDED(objects_->link->SetDescription(description.c_str()));
}

bool ShellLink::SetPath(const std::wstring& target) {
  return SUCCEEDED(objects_->link->SetPath(target.c_str()));
}

bool ShellLink::Save(const std::wstring& linkPath) {
  return SUCCEEDED(objects_->file->Save(linkPath.c_str(), FALSE));
}

ShellLinkContent ReadShellLink(const std::wstring& linkPath) {
  ShellLinkContent content;
  win32::ComPtr<IShellLinkW> link;
  win32::ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.Receive())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())) ||
      FAILED(file->Load(linkPath.c_str(), STGM_READ)))
    return content;
  wchar_t buffer[MAX_PATH + 1] = {};
  if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH))) content.target = buffer;
  buffer[0] = L'\0';
  if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH))) content.description = buffer;
  return content;
}

std::wstring DesktopDirectory() {
  if (!DesktopDirectoryOverride().empty()) return DesktopDirectoryOverride();
  PIDLIST_ABSOLUTE received = nullptr;
  // The application's window owns whatever the shell might show.
  const HRESULT result =
      SHGetSpecialFolderLocation(win32::ApplicationWindow(), CSIDL_DESKTOPDIRECTORY, &received);
  // The shell's item list, given back to the task allocator.
  const win32::CoTaskMemory<std::remove_pointer_t<PIDLIST_ABSOLUTE>> list(received);
  if (FAILED(result)) return {};
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(list.get(), buffer)) return {};
  return std::wstring(buffer);  // cut at the first NUL
}

}  // namespace platform
