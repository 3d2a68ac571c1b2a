#include "shared_folder/connection_state.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "notice/notice.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/text.h"
#include "shared_folder/data_folder.h"

namespace shared_folder {

namespace {

const std::wstring kAccessFailed = L"Não foi possível acessar a pasta Dados no Servidor.";

std::function<void(unsigned)>& RetryPause() {
  static std::function<void(unsigned)> pause;
  return pause;
}

// Opens the state file, trying again while another opener refuses it for sharing.
platform::File OpenStateFile(const std::wstring& path, platform::File::Open mode) {
  platform::File file(path, mode);
  for (int retry = 0; retry < kSharingRetries && !file.IsOpen() &&
                      file.OpenFailure() == platform::File::Failure::SharingViolation;
       ++retry) {
    if (RetryPause()) {
      RetryPause()(kSharingRetryPause);
    } else {
      platform::SleepMilliseconds(kSharingRetryPause);
    }
    file = platform::File(path, mode);
  }
  return file;
}

void ReportAccessFailure() {
  platform::ShowMessageBox(kAccessFailed, notice::kNoticeCaption,
                           platform::kMbOk | platform::kMbIconError);
}

// The bytes before the first line break, read in small chunks so that a huge or binary file
// is never read whole; at most kMaxConnectionStateLength bytes are kept. nullopt when reading
// failed.
std::optional<std::string> ReadFirstLine(platform::File& file) {
  std::string line;
  char chunk[512];
  for (;;) {
    const std::optional<std::size_t> got = file.Read(chunk, sizeof chunk);
    if (!got) return std::nullopt;
    if (*got == 0) return line;
    const std::string_view piece(chunk, *got);
    const std::size_t lineFeed = piece.find('\n');
    line.append(piece.substr(0, std::min(lineFeed, kMaxConnectionStateLength - line.size())));
    if (lineFeed != std::string_view::npos || line.size() >= kMaxConnectionStateLength) {
      break;
    }
  }
  // The line ends at LF or CR LF; a CR without LF is part of the text.
  const bool endsAtLineBreak = line.size() < kMaxConnectionStateLength;
  if (endsAtLineBreak && !line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::wstring StateFilePath() {
  return ResolveDataFolder().value + kConnectionStateFileName;
}

// What the read operations share: the first line, or nullopt after a failure that was shown.
std::optional<std::wstring> ReadState() {
  if (!platform::DirectoryExists(ResolveDataFolder().value)) return std::wstring();
  if (!platform::FileExists(StateFilePath())) return std::wstring();
  platform::File file = OpenStateFile(StateFilePath(), platform::File::Open::ReadExisting);
  std::optional<std::string> line;
  if (file.IsOpen()) line = ReadFirstLine(file);
  if (!line) {
    ReportAccessFailure();
    return std::nullopt;
  }
  file.Close();  // the bytes are read; a failed close of a reader loses nothing
  return platform::FromFileText(*line);
}

}  // namespace

std::wstring_view ConnectionStateWord(ConnectionState state) {
  switch (state) {
    case ConnectionState::Connect:
      return L"CONECTAR";
    case ConnectionState::Disconnect:
      return L"DESCONECTAR";
    case ConnectionState::Update:
      return L"ATUALIZAR";
    case ConnectionState::Other:
      break;
  }
  return {};
}

ConnectionState ParseConnectionState(std::wstring_view firstLine) {
  for (const ConnectionState state :
       {ConnectionState::Connect, ConnectionState::Disconnect, ConnectionState::Update}) {
    if (firstLine == ConnectionStateWord(state)) return state;
  }
  return ConnectionState::Other;
}

Reported<void> WriteConnectionState(ConnectionState state) {
  const std::wstring word(ConnectionStateWord(state));
  if (word.empty()) throw std::invalid_argument("connection state without a word");
  bool written = false;
  if (platform::DirectoryExists(ResolveDataFolder().value)) {
    platform::File file = OpenStateFile(StateFilePath(), platform::File::Open::CreateAlways);
    written = file.IsOpen() && file.Write(platform::ToAnsi(word) + "\r\n") && file.Close();
  }
  if (!written) ReportAccessFailure();
  return {.failureShown = !written};
}

Reported<void> WriteDisconnectState() {
  return WriteConnectionState(ConnectionState::Disconnect);
}

Reported<std::wstring> ReadConnectionStateLine() {
  std::optional<std::wstring> line = ReadState();
  return {.value = std::move(line).value_or(std::wstring()), .failureShown = !line};
}

Reported<ConnectionState> ReadConnectionState() {
  const Reported<std::wstring> line = ReadConnectionStateLine();
  return {.value = ParseConnectionState(line.value), .failureShown = line.failureShown};
}

Reported<bool> ConnectionAllowed() {
  // After a failed read the line is empty: the state is unknown, and the connection is kept.
  const Reported<ConnectionState> state = ReadConnectionState();
  return {.value = state.value != ConnectionState::Disconnect, .failureShown = state.failureShown};
}

void SetSharingRetryPauseForTesting(std::function<void(unsigned milliseconds)> pause) {
  RetryPause() = std::move(pause);
}

}  // namespace shared_folder
