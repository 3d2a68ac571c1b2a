#include "platform/dynamic_library.h"

#include "platform/win32/windows_header.h"

#include <mutex>
#include <stdexcept>

#include "platform/text.h"
#include "platform/win32/error_text.h"
#include "platform/win32/scoped_win.h"

namespace platform {

struct DynamicLibrary::Handle {
  win32::UniqueModule module;
};

namespace {
// Keeps the current folder out of the library search for the whole process, so that a
// library of the same name planted there is never loaded.
void LeaveCurrentFolderOutOfSearch() {
  static std::once_flag once;
  std::call_once(once, [] {
    // On failure the default search stays; loading still works, only less strictly.
    static_cast<void>(SetDllDirectoryW(L""));
  });
}
}  // namespace

DynamicLibrary::DynamicLibrary(const std::wstring& name, Lifetime lifetime)
    : handle_(std::make_unique<Handle>()) {
  LeaveCurrentFolderOutOfSearch();
  handle_->module.reset(LoadLibraryW(name.c_str()));
  if (!handle_->module) {
    const DWORD error = GetLastError();
    throw std::runtime_error(ToUtf8(L"Não foi possível carregar a biblioteca " + name + L": " +
                                    win32::ErrorText(error)));
  }
  if (lifetime == Lifetime::UntilProcessEnds) {
    // Pinned: the FreeLibrary of the object's end leaves it loaded. Should pinning fail, the
    // library still works while the object lives; ignored on purpose.
    HMODULE pinned = nullptr;
    static_cast<void>(
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(handle_->module.get()), &pinned));
  }
}

DynamicLibrary::~DynamicLibrary() = default;

void* DynamicLibrary::Symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(handle_->module.get(), name));
}

}  // namespace platform
