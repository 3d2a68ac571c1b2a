#include "shared_folder/process_checks.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/paths.h"
#include "platform/processes.h"

namespace shared_folder {

namespace {

wchar_t FoldAscii(wchar_t c) {
  return c >= L'a' && c <= L'z' ? c - (L'a' - L'A') : c;
}

bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// The text after the last separator or colon of a recorded executable.
std::wstring_view FileNamePart(std::wstring_view exeFile) {
  const std::size_t cut = exeFile.find_last_of(std::wstring{platform::kSeparator, L':'});
  return cut == std::wstring_view::npos ? exeFile : exeFile.substr(cut + 1);
}

}  // namespace

bool ProcessRunning(const std::wstring& exeFileName) {
  const std::optional<std::vector<std::wstring>> processes = platform::ProcessExeFiles();
  if (!processes) return false;
  return std::any_of(processes->begin(), processes->end(), [&](const std::wstring& exeFile) {
    return SameIgnoringAsciiCase(FileNamePart(exeFile), exeFileName) ||
           SameIgnoringAsciiCase(exeFile, exeFileName);
  });
}

bool MultipleProcessesRunning(const std::wstring& exeFileName) {
  const std::optional<std::vector<std::wstring>> processes = platform::ProcessExeFiles();
  if (!processes) return false;
  const auto count =
      std::count_if(processes->begin(), processes->end(), [&](const std::wstring& exeFile) {
        return SameIgnoringAsciiCase(FileNamePart(exeFile), exeFileName);
      });
  return count > 1;
}

bool ProgramOfLockFileRuns(const std::wstring& lockFileName,
                           const std::vector<platform::ProcessImage>& processes,
                           const std::wstring& programFolder) {
  constexpr std::wstring_view kLock = L".lock";
  if (lockFileName.size() <= kLock.size()) return false;
  const std::wstring base = lockFileName.substr(0, lockFileName.size() - kLock.size());
  const std::wstring program = base + L".exe";
  return std::any_of(processes.begin(), processes.end(), [&](const platform::ProcessImage& p) {
    const std::wstring_view name = FileNamePart(p.exeFile);
    const bool named = SameIgnoringAsciiCase(name, program) ||
                       (platform::kDotlessNameIsItsBaseName && SameIgnoringAsciiCase(name, base));
    return named && (!p.imagePath ||
                     platform::SamePathText(platform::FolderOf(*p.imagePath), programFolder));
  });
}

}  // namespace shared_folder
