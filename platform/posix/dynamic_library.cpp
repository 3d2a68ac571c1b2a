#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <stdexcept>

#include "platform/text.h"

namespace platform {

struct DynamicLibrary::Handle {
  void* library = nullptr;
};

DynamicLibrary::DynamicLibrary(const std::wstring& name, Lifetime lifetime)
    : handle_(std::make_unique<Handle>()) {
  const int kept = lifetime == Lifetime::UntilProcessEnds ? RTLD_NODELETE : 0;
  handle_->library = dlopen(ToNarrowFileName(name).c_str(), RTLD_NOW | RTLD_LOCAL | kept);
  if (!handle_->library) {
    const char* reason = dlerror();
    throw std::runtime_error("Cannot load the library " + ToUtf8(name) +
                             (reason ? std::string(": ") + reason : std::string()));
  }
}

DynamicLibrary::~DynamicLibrary() {
  // Unloading can only fail for a handle that dlopen did not give; nothing to report.
  if (handle_ && handle_->library) dlclose(handle_->library);
}

void* DynamicLibrary::Symbol(const char* name) const {
  return dlsym(handle_->library, name);
}

}  // namespace platform
