// Starting the installation's companion programs from the exe folder. Each returns at once;
// whether the program runs shows later in its lock file. A missing program is skipped.
#pragma once

namespace shared_folder {

inline constexpr const wchar_t* kPublicationMonitorFile = L"vandrelMonitorPublicacao.exe";
inline constexpr const wchar_t* kEmailMonitorFile = L"vandrelMonitorEmail.exe";
inline constexpr const wchar_t* kServiceFile = L"vandrelService.exe";

// Starts vandrelMonitorPublicacao.exe minimized.
void StartPublicationMonitor();
// Starts vandrelMonitorEmail.exe minimized.
void StartEmailMonitor();
// Starts vandrelService.exe in its normal window state, unless a process of that name runs.
void StartService();

}  // namespace shared_folder
