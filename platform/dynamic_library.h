// A shared library loaded at run time and kept until the object goes, or until the process ends.
#pragma once

#include <memory>
#include <string>

namespace platform {

class DynamicLibrary {
 public:
  // UntilProcessEnds: the object's end does not unload the library (Windows: the module is
  // pinned; POSIX: RTLD_NODELETE), for a library whose own threads may outlive the object.
  enum class Lifetime { UntilObjectGoes, UntilProcessEnds };

  // Windows: LoadLibraryW after SetDllDirectoryW(L"") (the current folder is not searched;
  // the program's own folder comes first). POSIX: dlopen. Throws std::runtime_error naming
  // the library when it cannot be loaded.
  explicit DynamicLibrary(const std::wstring& name, Lifetime lifetime = Lifetime::UntilObjectGoes);
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
