// Ownership of Windows handles: each kind closes with its own call, once, when the owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

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

}  // namespace platform::win32
