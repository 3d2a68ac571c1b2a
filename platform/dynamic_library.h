// A shared library loaded at run time and kept until the object goes.
#pragma once

#include <memory>
#include <string>

namespace platform {

class DynamicLibrary {
 public:
  // Windows: LoadLibraryW after SetDllDirectoryW(L"") (the current folder is not searched;
  // the program's own folder comes first). POSIX: dlopen. Throws std::runtime_error naming
  // the library when it cannot be loaded.
  explicit DynamicLibrary(const std::wstring& name);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
