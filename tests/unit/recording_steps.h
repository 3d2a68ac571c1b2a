// The outward steps of the main window, recorded instead of carried out: the world they answer
// from is a few fields that a test sets, and every step that acts or looks leaves one line in
// calls. `during` runs inside a step, by its line, so that a test can throw there or ask for the
// exit there.
#pragma once

#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/supervision_steps.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace test_support {

class RecordingSteps final : public app::SupervisionSteps {
 public:
  using ConnectionState = shared_folder::ConnectionState;
  template <typename T>
  using Reported = shared_folder::Reported<T>;

  static std::wstring Executable() { return L"/Sistema/vandrelVirazuzor.exe"; }

  // The world. Lock files are kept by the name given to LockFileExists.
  ConnectionState state = ConnectionState::Other;
  bool held = true;
  bool connected = true;
  bool opens = true;  // OpenConnection and OpenDatabase succeed
  database::ProbeOutcome probe = database::ProbeOutcome::Answered;
  bool updaters = false;  // two or more updater processes
  bool lockWriteRace = false;
  bool sessionEnded = false;
  std::set<std::wstring> locks;
  std::function<void(const std::string& call)> during;

  std::vector<std::string> calls;

  std::wstring ExecutablePath() override { return Executable(); }

  Reported<std::wstring> ResolveDataFolder() override {
    Note("resolve");
    return {.value = L"/Dados/"};
  }
  Reported<bool> ConnectionAllowed() override {
    Note("allowed?");
    return {.value = state != ConnectionState::Disconnect};
  }
  Reported<ConnectionState> ReadConnectionState() override {
    Note("read");
    return {.value = state};
  }
  Reported<void> WriteConnectionState(ConnectionState word) override {
    Note("write " + platform::ToUtf8(std::wstring(shared_folder::ConnectionStateWord(word))));
    state = word;
    return {};
  }

  Reported<void> ClearStaleLockFiles(const std::wstring&) override {
    Note("sweep");
    return {};
  }
  bool LockFileExists(const std::wstring& executable, const std::wstring&) override {
    Note("lock? " + Name(executable));
    return locks.count(executable) != 0;
  }
  app::OwnLockWrite WriteLockFile(const std::wstring& executable, const std::wstring&) override {
    Note("write lock " + Name(executable));
    if (sessionEnded) return app::OwnLockWrite::AfterSessionEnd;
    if (lockWriteRace) return app::OwnLockWrite::TakenByAnother;
    locks.insert(executable);
    return app::OwnLockWrite::Written;
  }
  void DeleteOwnLockFile() override {
    Note("delete lock own");
    locks.erase(Executable());
  }
  // As the owner does: no write after it.
  void DeleteOwnLockFileAtSessionEnd() override {
    Note("delete lock own at session end");
    locks.erase(Executable());
    sessionEnded = true;
  }

  bool MultipleProcessesRunning(const std::wstring& exeFileName) override {
    Note("several? " + platform::ToUtf8(exeFileName));
    return updaters;
  }
  void StartPublicationMonitor() override { Note("start publication"); }
  void StartEmailMonitor() override { Note("start email"); }
  void StartService() override { Note("start service"); }

  Reported<std::wstring> ReadConnectionSettings() override {
    Note("settings");
    return {.value = L"srv01:/dados/ZELTRAN.FDB"};
  }
  database::OpenOutcome OpenDatabase(const std::wstring& connectionString) override {
    Note("open database");
    held = true;
    connected = opens;
    return {.databaseName = connectionString, .opened = opens, .updatePaths = {}};
  }
  bool DatabaseHeld() override { return held; }
  bool Connected() override { return connected; }
  void OpenConnection() override {
    Note("open");
    if (!opens) throw std::runtime_error("Unable to complete network request to host");
    connected = true;
  }
  void CloseConnection() override {
    Note("close");
    connected = false;
  }
  database::ProbeOutcome ProbeConnection() override {
    Note("probe");
    if (probe != database::ProbeOutcome::Answered) connected = false;
    return probe;
  }
  void ReleaseDatabase() override {
    Note("release");
    held = connected = false;
  }
  void CheckForUpdate(const update::UpdatePaths&) override { Note("update check"); }

  void Pause(unsigned milliseconds) override { Note("pause " + std::to_string(milliseconds)); }
  void ProcessPendingMessages() override { Note("messages"); }
  void RequestTermination() override { Note("terminate"); }
  void ShowNotice(const std::wstring& text, bool confirm, bool autoClose) override {
    Note("notice " + platform::ToUtf8(text) + (confirm ? " confirm" : "") +
         (autoClose ? " auto" : ""));
  }

  // The program's own lock file, and the companions' by their names.
  static std::string Name(const std::wstring& executable) {
    return executable == Executable() ? "own" : platform::ToUtf8(executable);
  }

 private:
  void Note(std::string call) {
    calls.push_back(call);
    if (during) during(calls.back());
  }
};

}  // namespace test_support
