#include "app/live_steps.h"

#include "notice/notice.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "shared_folder/companions.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/process_checks.h"
#include "update/update_check.h"

namespace app {

using shared_folder::ConnectionState;
using shared_folder::Reported;

LiveSteps::~LiveSteps() {
  link_.LeaveToOperatingSystem();
}

std::wstring LiveSteps::ExecutablePath() {
  return platform::ExecutablePath();
}

Reported<std::wstring> LiveSteps::ResolveDataFolder() {
  return shared_folder::ResolveDataFolder();
}

Reported<bool> LiveSteps::ConnectionAllowed() {
  return shared_folder::ConnectionAllowed();
}

Reported<ConnectionState> LiveSteps::ReadConnectionState() {
  return shared_folder::ReadConnectionState();
}

Reported<void> LiveSteps::WriteConnectionState(ConnectionState state) {
  return shared_folder::WriteConnectionState(state);
}

Reported<void> LiveSteps::ClearStaleLockFiles(const std::wstring& folder) {
  return shared_folder::ClearStaleLockFiles(folder);
}

bool LiveSteps::LockFileExists(const std::wstring& executable, const std::wstring& folder) {
  return shared_folder::LockFileExists(executable, folder);
}

OwnLockWrite LiveSteps::WriteLockFile(const std::wstring& executable, const std::wstring& folder) {
  return ownLock_.Write(executable, folder);
}

void LiveSteps::DeleteOwnLockFile() {
  ownLock_.Remove();
}

void LiveSteps::DeleteOwnLockFileAtSessionEnd() {
  ownLock_.EndSession();
}

bool LiveSteps::MultipleProcessesRunning(const std::wstring& exeFileName) {
  return shared_folder::MultipleProcessesRunning(exeFileName);
}

void LiveSteps::StartPublicationMonitor() {
  shared_folder::StartPublicationMonitor();
}

void LiveSteps::StartEmailMonitor() {
  shared_folder::StartEmailMonitor();
}

void LiveSteps::StartService() {
  shared_folder::StartService();
}

Reported<std::wstring> LiveSteps::ReadConnectionSettings() {
  return link_.ReadConnectionSettings();
}

database::OpenOutcome LiveSteps::OpenDatabase(const std::wstring& connectionString) {
  return link_.OpenDatabase(connectionString);
}

bool LiveSteps::DatabaseHeld() {
  return link_.Held();
}

bool LiveSteps::Connected() {
  return link_.Connected();
}

void LiveSteps::OpenConnection() {
  link_.IBD_BancoDados->Open();
}

void LiveSteps::CloseConnection() {
  link_.IBD_BancoDados->Close();
}

database::ProbeOutcome LiveSteps::ProbeConnection() {
  return link_.ProbeConnection();
}

void LiveSteps::ReleaseDatabase() {
  link_.ReleaseDatabase();
}

void LiveSteps::CheckForUpdate(const update::UpdatePaths& paths) {
  update::CheckForUpdate(*link_.IBD_BancoDados, paths, update::kCompareDates);
}

void LiveSteps::Pause(unsigned milliseconds) {
  platform::SleepMilliseconds(milliseconds);
}

void LiveSteps::ProcessPendingMessages() {
  platform::ProcessPendingMessages();
}

void LiveSteps::RequestTermination() {
  platform::RequestTermination();
}

void LiveSteps::ShowNotice(const std::wstring& text, bool confirm, bool autoClose) {
  notice::ShowNotice(text, confirm, autoClose);
}

}  // namespace app
