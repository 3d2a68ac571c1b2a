// Stands in for the installation's updater. It records what it was started with, in
// "vandrelAtualizador.record" beside itself (UTF-8: the whole command line, then the folder
// it was started in, one line each), and ends. While a file "vandrelAtualizador.stay" lies
// beside it, it keeps running until that file is deleted.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

#include "platform/paths.h"
#include "platform/text.h"
#include "shared_folder/data_folder.h"
#include "tests/standins/updater_command_line.h"

using namespace shared_folder;

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  const fs::path folder = ExeFolder();
  const fs::path record = folder / L"vandrelAtualizador.record";
  const fs::path partial = folder / L"vandrelAtualizador.record.partial";

  std::error_code error;
  const std::wstring started_in = fs::current_path(error).wstring();
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << platform::ToUtf8(ReceivedCommandLine(argc, argv)) << '\n'
        << platform::ToUtf8(started_in) << '\n';
  }
  // Whole or not at all: a test polling for the record never reads half of it.
  fs::rename(partial, record, error);

  const fs::path stay = folder / L"vandrelAtualizador.stay";
  while (fs::exists(stay, error)) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return error ? 1 : 0;
}
