// The update check: compares the running executable with the copy published in the update
// folder and, when their dates differ, hands over to the updater and ends the process.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "update/update_paths.h"

namespace database {
class Connection;
}

namespace update {

// A file date that cannot be read or has no text form (the file is gone, unreadable, or dated
// outside the years the date text holds): the check cannot tell whether an update is due, so
// it stops and the error travels to its caller, naming the file.
class FileDateError : public std::runtime_error {
 public:
  explicit FileDateError(const std::wstring& path);
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

// The whole check, run at start-up and when the shared state asks for an update. Shows its
// boxes and makes termination requests itself; errors of the parameter table check, of the
// desktop shortcut and of the file dates (FileDateError) travel to the caller. Ends the process
// (exit code 0) when an update is due. Any compareDates other than 1 stops it after the parameter
// table check.
void CheckForUpdate(database::Connection& database, const UpdatePaths& paths, int compareDates);
// The value that both callers pass: compare the dates.
inline constexpr int kCompareDates = 1;

// The same check with its two outward steps supplied: the parameter table check and the hand-
// over (notice, updater launch, end of the process). Tests run it without a database, and
// without ending themselves.
struct UpdateCheckSteps {
  std::function<void()> checkParameterTable;
  std::function<void()> announceAndLaunch;
};
void CheckForUpdateWith(const UpdateCheckSteps& steps, const UpdatePaths& paths, int compareDates);

// The hand-over: the notice for five seconds, then LaunchUpdaterAndExit.
[[noreturn]] void AnnounceAndLaunchUpdater(const UpdatePaths& paths);
// Starts the updater from the update folder with "@F1 @M<update folder> @E<exe folder>
// @A<exe name>" and ends the process at once with exit code 0: no shutdown, no icon removal,
// no lock file touched. A launch that fails is not reported; the process ends all the same.
[[noreturn]] void LaunchUpdaterAndExit(const UpdatePaths& paths);

// The updater's command line for the update paths.
std::wstring UpdaterParameters(const UpdatePaths& paths);

}  // namespace update
