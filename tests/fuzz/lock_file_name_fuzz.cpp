// The lock-file name of any executable path: always ends in ".lock", holds no separator, and
// its base starts with no blank or control character (the blanks are trimmed before the cut
// at the last ".", so the base may end with some: "a .exe" gives "a .lock").
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/paths.h"
#include "shared_folder/lock_files.h"

using namespace shared_folder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring name = LockFileName(fuzz::WideText(data, size));
  if (name.size() < 5 || name.substr(name.size() - 5) != L".lock") std::abort();
  const std::wstring_view base = std::wstring_view(name).substr(0, name.size() - 5);
  if (name.find(platform::kSeparator) != std::wstring::npos) std::abort();
  if (!base.empty() && base.front() <= L' ') std::abort();
  return 0;
}
