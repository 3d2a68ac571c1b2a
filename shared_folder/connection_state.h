// The one-word connection state that the whole installation shares in the data folder's
// Virazuzor.txt. Failures are shown in a message box; none reaches the caller.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "shared_folder/reported.h"

namespace shared_folder {

inline const std::wstring kConnectionStateFileName = L"Virazuzor.txt";

// The longest first line kept when reading; what follows it on that line is dropped.
inline constexpr std::size_t kMaxConnectionStateLength = 64 * 1024;

// Another workstation holds the file only for the moment of its own read or write: an open
// refused for sharing is tried again, kSharingRetries times kSharingRetryPause milliseconds
// apart, before it counts as failed. Other failures are not retried.
inline constexpr int kSharingRetries = 5;
inline constexpr unsigned kSharingRetryPause = 50;

// The shared word, read into one of the three words the installation writes, or Other for
// anything else. Only the exact text counts: case, blanks and further characters make Other.
enum class ConnectionState { Connect, Disconnect, Update, Other };

// "CONECTAR", "DESCONECTAR", "ATUALIZAR"; the empty text for Other.
std::wstring_view ConnectionStateWord(ConnectionState state);
// The state that a first line stands for, by the exact-text rule.
ConnectionState ParseConnectionState(std::wstring_view firstLine);

// Replaces the file with the state's word and CR LF in the ANSI code page. A missing data
// folder or a file that cannot be written shows "Não foi possível acessar a pasta Dados no
// Servidor.". Other has no word and is never written (std::invalid_argument).
Reported<void> WriteConnectionState(ConnectionState state);
// Stores "DESCONECTAR".
Reported<void> WriteDisconnectState();

// The file's first line, unchanged; the empty text when the folder or the file is missing. A
// file that exists but cannot be opened or read shows the message and gives the empty text.
Reported<std::wstring> ReadConnectionStateLine();
// That line read by the exact-text rule (the empty text is Other).
Reported<ConnectionState> ReadConnectionState();

// False only when the first line is exactly "DESCONECTAR". After a failed read (message
// shown) it is true: the state is unknown, and the connection is kept.
Reported<bool> ConnectionAllowed();

// Tests take the pause between two attempts (to let a holder go, or to count the pauses);
// an empty function restores the real pause.
void SetSharingRetryPauseForTesting(std::function<void(unsigned milliseconds)> pause);

}  // namespace shared_folder
