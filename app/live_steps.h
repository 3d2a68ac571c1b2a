// The program's own steps: the real data folder, files, processes, database and loop. The one
// database link of the run lives here.
#pragma once

#include "app/own_lock_file.h"
#include "app/supervision_steps.h"
#include "database/database_link.h"

namespace app {

class LiveSteps final : public SupervisionSteps {
 public:
  LiveSteps() = default;
  // The process is ending: whatever "&Sair" or a refused second copy did not release is left
  // to the operating system, without a call to the server; the own lock file still held goes.
  ~LiveSteps() override;
  LiveSteps(const LiveSteps&) = delete;
  LiveSteps& operator=(const LiveSteps&) = delete;

  std::wstring ExecutablePath() override;

  shared_folder::Reported<std::wstring> ResolveDataFolder() override;
  shared_folder::Reported<bool> ConnectionAllowed() override;
  shared_folder::Reported<shared_folder::ConnectionState> ReadConnectionState() override;
  shared_folder::Reported<void> WriteConnectionState(shared_folder::ConnectionState state) override;

  shared_folder::Reported<void> ClearStaleLockFiles(const std::wstring& folder) override;
  bool LockFileExists(const std::wstring& executable, const std::wstring& folder) override;
  OwnLockWrite WriteLockFile(const std::wstring& executable, const std::wstring& folder) override;
  void DeleteOwnLockFile() override;
  void DeleteOwnLockFileAtSessionEnd() override;

  bool MultipleProcessesRunning(const std::wstring& exeFileName) override;
  void StartPublicationMonitor() override;
  void StartEmailMonitor() override;
  void StartService() override;

  shared_folder::Reported<std::wstring> ReadConnectionSettings() override;
  database::OpenOutcome OpenDatabase(const std::wstring& connectionString) override;
  bool DatabaseHeld() override;
  bool Connected() override;
  void OpenConnection() override;
  void CloseConnection() override;
  database::ProbeOutcome ProbeConnection() override;
  void ReleaseDatabase() override;

  void CheckForUpdate(const update::UpdatePaths& paths) override;

  void Pause(unsigned milliseconds) override;
  void ProcessPendingMessages() override;
  void RequestTermination() override;
  void ShowNotice(const std::wstring& text, bool confirm, bool autoClose) override;

  database::DatabaseLink& Link() { return link_; }

 private:
  database::DatabaseLink link_;
  OwnLockFile ownLock_;
};

}  // namespace app
