// The one-word connection state that the whole installation shares in the data folder's
// Virazuzor.txt. Failures are shown in a message box; none reaches the caller.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

inline const std::wstring kConnectionStateFileName = L"Virazuzor.txt";

// The longest first line kept when reading; what follows it on that line is dropped.
inline constexpr std::size_t kMaxConnectionStateLength = 64 * 1024;

// Another workstation holds the file only for the moment of its own read or write: an open
// refused for sharing is tried again, kSharingRetries times kSharingRetryPause milliseconds
// apart, before it counts as failed. Other failures are not retried.
inline constexpr int kSharingRetries = 5;
inline constexpr unsigned kSharingRetryPause = 50;

// Replaces the file with the word and CR LF in the ANSI code page. A missing data folder or
// a file that cannot be written shows "Não foi possível acessar a pasta Dados no Servidor.".
void WriteConnectionState(const std::wstring& word);
// Stores "DESCONECTAR".
void WriteDisconnectState();

// The file's first line, unchanged; the empty text when the folder or the file is missing.
// A file that exists but cannot be opened or read shows the message and gives the empty text.
std::wstring ReadConnectionState();

// False only when the first line is exactly "DESCONECTAR". After a failed read (message
// shown) it is true: the state is unknown, and the connection is kept.
bool ConnectionAllowed();

// Tests take the pause between two attempts (to let a holder go, or to count the pauses);
// an empty function restores the real pause.
void SetSharingRetryPauseForTesting(std::function<void(unsigned milliseconds)> pause);
