// Shell links through COM, and the desktop folder through the shell's item lists.
#include "platform/shell_link.h"

#include <windows.h>
// After <windows.h>, which they need.
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <stdexcept>
#include <utility>

#include "platform/shell_link_override.h"

namespace platform {
namespace {

// Holds one COM interface reference and releases it once.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  // For the out-parameter of CoCreateInstance and QueryInterface.
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

// An item list from the shell, freed with CoTaskMemFree.
class ItemList {
 public:
  ItemList() = default;
  ~ItemList() { CoTaskMemFree(list_); }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;
  PIDLIST_ABSOLUTE* Receive() { return &list_; }
  PIDLIST_ABSOLUTE Get() const { return list_; }

 private:
  PIDLIST_ABSOLUTE list_ = nullptr;
};

[[noreturn]] void Fail(const char* what, HRESULT result) {
  char code[16];
  wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
  throw std::runtime_error(std::string(what) + " (" + code + ")");
}

}  // namespace

struct ShellLink::Objects {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
};

ComApartment::ComApartment() {
  initialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

ComApartment::~ComApartment() {
  if (initialized_) CoUninitialize();
}

ShellLink::ShellLink() : objects_(std::make_unique<Objects>()) {
  ComPtr<IUnknown> object;
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
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
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
  ItemList list;
  // No owner window: the shell shows nothing for a local folder.
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, list.Receive())))
    return {};
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(list.Get(), buffer)) return {};
  return std::wstring(buffer);  // cut at the first NUL
}

}  // namespace platform
