#include "platform/posix/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <map>
#include <memory>
#include <mutex>

#include "platform/posix/case_fold.h"
#include "platform/text.h"

namespace platform {

namespace {

// How long before the listing the folder's last change must lie for the listing to be kept:
// beyond the coarsest time resolution of the file systems a data folder lives on (FAT's 2 s).
constexpr time_t kSettledSeconds = 3;
// The names asked about are a handful (the lock files); a caller asking about many different
// names starts the collection afresh rather than making every listing slower.
constexpr std::size_t kMostNamesKept = 32;

// What the last listing found for every name asked about since the folder was first listed,
// rather than the whole listing: a hundred thousand names would cost megabytes to keep.
struct Listing {
  std::string folder;
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  bool settled = false;  // whether the folder's time tells a later change
  std::map<std::wstring, std::vector<std::string>> byCapitals;
};

std::mutex g_mutex;
Listing g_listing;
unsigned long g_listings = 0;

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Lists the folder for the names kept, and the new one. The folder's time is the one looked at
// before the reading, so a change during it shows as a change at the next call.
void ListFolder(const std::string& folder, const struct stat& before, const std::wstring& asked) {
  std::map<std::wstring, std::vector<std::string>> byCapitals;
  if (g_listing.folder == folder && g_listing.byCapitals.size() < kMostNamesKept) {
    for (const auto& kept : g_listing.byCapitals) byCapitals[kept.first];
  }
  byCapitals[asked];
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  g_listing = Listing{folder,
                      before.st_dev,
                      before.st_ino,
                      before.st_mtim,
                      before.st_mtim.tv_sec + kSettledSeconds <= now.tv_sec,
                      {}};
  ++g_listings;
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, DirCloser> entries(::opendir(folder.c_str()));
  if (!entries) g_listing.settled = false;  // asked again next time
  while (entries) {
    const dirent* entry = ::readdir(entries.get());
    if (entry == nullptr) break;
    const auto found = byCapitals.find(InCapitals(FromNarrowFileName(entry->d_name)));
    if (found != byCapitals.end()) found->second.emplace_back(entry->d_name);
  }
  g_listing.byCapitals = std::move(byCapitals);
}

}  // namespace

std::vector<std::string> EntriesNamedInAnyCase(const std::string& folder, std::wstring_view name) {
  std::lock_guard lock(g_mutex);
  struct stat now {};
  if (::stat(folder.c_str(), &now) != 0) return {};
  const std::wstring capitals = InCapitals(name);
  const bool unchanged = g_listing.settled && g_listing.folder == folder &&
                         g_listing.device == now.st_dev && g_listing.inode == now.st_ino &&
                         SameTime(g_listing.modified, now.st_mtim);
  if (!unchanged || !g_listing.byCapitals.contains(capitals)) ListFolder(folder, now, capitals);
  return g_listing.byCapitals[capitals];
}

unsigned long FolderListingsForTesting() {
  std::lock_guard lock(g_mutex);
  return g_listings;
}

}  // namespace platform
