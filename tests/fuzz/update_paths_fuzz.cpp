// The update paths derived from any server ini path: the Update folder is a leading part of that
// path + "Update", and the §-forms carry no blank and travel back.
#include <cstdlib>

#include "fuzz_support.h"
#include "update/update_paths.h"

using namespace update;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Installation();  // the running program's path
  const std::wstring serverIni = fuzz::WideText(data, size);
  const UpdatePaths paths = DeriveUpdatePaths(serverIni);
  const std::wstring& updateFolder = paths.sUpdateFolder;
  const std::wstring prefix = updateFolder.substr(0, updateFolder.size() - 6);
  if (updateFolder.size() < 6 || serverIni.compare(0, prefix.size(), prefix) != 0) std::abort();
  for (const std::wstring* arg : {&paths.sUpdateFolderArg, &paths.sExeFolderArg}) {
    if (arg->find(L' ') != std::wstring::npos) std::abort();
  }
  if (serverIni.find(L'\u00A7') == std::wstring::npos &&
      FromSectionSignForm(SectionSignForm(serverIni)) != serverIni) {
    std::abort();
  }
  return 0;
}
