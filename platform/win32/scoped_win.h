// Ownership of what the Windows API hands out: each kind is given back with its own call, once,
// when its owner goes. Kernel objects, listings, windows, GDI objects, icons, menus, image
// lists, modules, device contexts and the objects selected into them, COM interfaces, and
// memory from LocalAlloc and CoTaskMemAlloc.
#pragma once

#include "platform/win32/windows_header.h"
// After windows_header.h, which they need.
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace platform::win32 {

// --- Kernel handles -------------------------------------------------------------------------

// Closes with CloseHandle; INVALID_HANDLE_VALUE and null both mean "nothing held".
struct KernelHandleTraits {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};

// Closes a FindFirstFileW listing with FindClose.
struct FindHandleTraits {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return FindClose(h) != FALSE; }
};

template <typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : handle_(h) {}
  ~UniqueHandle() {
    // A close that fails in a destructor has no one to tell; Close() reports it instead.
    static_cast<void>(Close());
  }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      static_cast<void>(Close());  // as in the destructor
      handle_ = other.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  bool Valid() const { return Traits::Valid(handle_); }
  HANDLE Get() const { return handle_; }
  HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

  // Closes now; false when nothing was held or the close failed.
  bool Close() {
    if (!Valid()) return false;
    return Traits::Close(Release());
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;

// --- Windows and user-interface objects -----------------------------------------------------

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
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniquePen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiObjectDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDestroyer>;

// --- Modules ----------------------------------------------------------------------------------

struct ModuleFreer {
  // Nothing can be done about a library that will not unload; the process goes on.
  void operator()(HMODULE h) const { static_cast<void>(FreeLibrary(h)); }
};

using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

// --- Device contexts --------------------------------------------------------------------------

// A window's device context (the whole screen's for a null window), from GetDC and given back
// with ReleaseDC.
class WindowDC {
 public:
  // Client: the client area (GetDC). Whole: the window with its frame (GetWindowDC).
  enum class Area { Client, Whole };
  explicit WindowDC(HWND window, Area area = Area::Client)
      : window_(window), dc_(area == Area::Whole ? GetWindowDC(window) : GetDC(window)) {}
  ~WindowDC() {
    // Fails only for a context that is not the window's: nothing to report.
    if (dc_) static_cast<void>(ReleaseDC(window_, dc_));
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
struct MemoryDCDeleter {
  void operator()(HDC h) const { DeleteDC(h); }
};
using UniqueMemoryDC = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDCDeleter>;

// Selects an object (font, bitmap, brush, pen) into a device context for the scope, and
// selects back the object it replaced when the scope ends, so that the context never outlives
// its hold on the object and the object can be deleted afterwards. Declare it after the
// context and the object, so that it goes first.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    // A failed selection replaced nothing: there is nothing to put back.
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// --- COM --------------------------------------------------------------------------------------

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
  explicit operator bool() const { return pointer_ != nullptr; }
  // For the out-parameter of CoCreateInstance and QueryInterface; releases what was held.
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

// --- Memory the system allocated for the caller ----------------------------------------------

// LocalAlloc's memory (FormatMessageW with FORMAT_MESSAGE_ALLOCATE_BUFFER, among others).
struct LocalFreeDeleter {
  void operator()(void* p) const { LocalFree(p); }
};
template <typename T>
using LocalMemory = std::unique_ptr<T, LocalFreeDeleter>;

// The COM task allocator's memory (the shell's item lists, among others).
struct CoTaskMemFreeDeleter {
  void operator()(void* p) const { CoTaskMemFree(p); }
};
template <typename T>
using CoTaskMemory = std::unique_ptr<T, CoTaskMemFreeDeleter>;

}  // namespace platform::win32
