// Every outward step that the start-up sequence, the supervision tick and the exit take: the
// shared data folder and its files, the local processes, the database link, the update check and
// the user-interface thread. The main window decides the order; these carry it out. The program
// runs the real ones (LiveSteps); tests pass recording fakes.
#pragma once

#include <string>

#include "app/own_lock_file.h"
#include "database/database_link.h"
#include "shared_folder/connection_state.h"
#include "shared_folder/lock_files.h"
#include "shared_folder/reported.h"
#include "update/update_paths.h"

namespace app {

class SupervisionSteps {
 public:
  virtual ~SupervisionSteps() = default;

  // The running program's full path: the name of its own lock file and of its notice.
  virtual std::wstring ExecutablePath() = 0;

  // The data folder and the connection-state file; each look resolves or reads again.
  virtual shared_folder::Reported<std::wstring> ResolveDataFolder() = 0;
  virtual shared_folder::Reported<bool> ConnectionAllowed() = 0;
  virtual shared_folder::Reported<shared_folder::ConnectionState> ReadConnectionState() = 0;
  virtual shared_folder::Reported<void> WriteConnectionState(shared_folder::ConnectionState) = 0;

  // Lock files: the program's own (named by its full path) and the companions'.
  virtual shared_folder::Reported<void> ClearStaleLockFiles(const std::wstring& folder) = 0;
  virtual bool LockFileExists(const std::wstring& executable, const std::wstring& folder) = 0;
  // The own lock file is created exclusively and held; a failure to create or write throws
  // shared_folder::IoError. Its deletion takes only the very file this process wrote and
  // still holds, and never fails. Once the session's end has deleted it, no write takes it
  // again: AfterSessionEnd.
  virtual OwnLockWrite WriteLockFile(const std::wstring& executable,
                                     const std::wstring& folder) = 0;
  virtual void DeleteOwnLockFile() = 0;
  virtual void DeleteOwnLockFileAtSessionEnd() = 0;

  // Local processes and the companion programs.
  virtual bool MultipleProcessesRunning(const std::wstring& exeFileName) = 0;
  virtual void StartPublicationMonitor() = 0;
  virtual void StartEmailMonitor() = 0;
  virtual void StartService() = 0;

  // The database link. OpenDatabase throws only for a missing client library; OpenConnection
  // and CloseConnection throw the client's errors; a failing close in ProbeConnection or
  // ReleaseDatabase travels on.
  virtual shared_folder::Reported<std::wstring> ReadConnectionSettings() = 0;
  virtual database::OpenOutcome OpenDatabase(const std::wstring& connectionString) = 0;
  virtual bool DatabaseHeld() = 0;
  virtual bool Connected() = 0;
  virtual void OpenConnection() = 0;
  virtual void CloseConnection() = 0;
  virtual database::ProbeOutcome ProbeConnection() = 0;
  virtual void ReleaseDatabase() = 0;

  // The update check on the held connection: boxes, termination requests, and the end of the
  // process when an update is due. Its errors travel.
  virtual void CheckForUpdate(const update::UpdatePaths& paths) = 0;

  // The user-interface thread.
  virtual void Pause(unsigned milliseconds) = 0;
  virtual void ProcessPendingMessages() = 0;
  virtual void RequestTermination() = 0;
  virtual void ShowNotice(const std::wstring& text, bool confirm, bool autoClose) = 0;
};

}  // namespace app
