#include "database/fbclient_library.h"

#include <stdexcept>
#include <vector>

#include "platform/firebird_client.h"
#include "platform/text.h"

namespace database {
namespace {

struct LoadedClient {
  std::wstring fileName;
  platform::DynamicLibrary library;
  FbClient entries{};

  // The client's own threads (and on Linux the embedded engine's) may run until the process
  // ends: the library stays loaded. The program ends without running static destructors
  // (ExitImmediately), so the client's own end never runs under those threads either; where
  // a test process does run them, this object goes first and the library still stays.
  explicit LoadedClient(const std::wstring& name)
      : fileName(name), library(name, platform::DynamicLibrary::Lifetime::UntilProcessEnds) {
    Bind(entries.attachDatabase, "isc_attach_database");
    Bind(entries.detachDatabase, "isc_detach_database");
    Bind(entries.startMultiple, "isc_start_multiple");
    Bind(entries.commitRetaining, "isc_commit_retaining");
    Bind(entries.commitTransaction, "isc_commit_transaction");
    Bind(entries.rollbackTransaction, "isc_rollback_transaction");
    Bind(entries.dsqlAllocateStatement, "isc_dsql_allocate_statement");
    Bind(entries.dsqlPrepare, "isc_dsql_prepare");
    Bind(entries.dsqlDescribe, "isc_dsql_describe");
    Bind(entries.dsqlExecute, "isc_dsql_execute");
    Bind(entries.dsqlFetch, "isc_dsql_fetch");
    Bind(entries.dsqlFreeStatement, "isc_dsql_free_statement");
    Bind(entries.interpret, "fb_interpret");
  }

  template <typename Fn>
  void Bind(Fn& entry, const char* symbol) {
    void* address = library.Symbol(symbol);
    if (!address) {
      throw std::runtime_error("The Firebird client " + platform::ToUtf8(fileName) +
                               " lacks the entry point " + symbol);
    }
    entry = reinterpret_cast<Fn>(address);
  }
};

std::wstring& OverriddenName() {
  static std::wstring name;
  return name;
}

// Every client loaded so far, each kept until the process ends: handles it gave out may
// still be alive.
std::vector<std::unique_ptr<LoadedClient>>& Loaded() {
  static std::vector<std::unique_ptr<LoadedClient>> clients;
  return clients;
}

}  // namespace

const FbClient& Client() {
  const std::wstring wanted =
      OverriddenName().empty() ? std::wstring(platform::kFirebirdClientLibrary) : OverriddenName();
  for (const auto& client : Loaded()) {
    if (client->fileName == wanted) return client->entries;
  }
  Loaded().push_back(std::make_unique<LoadedClient>(wanted));
  return Loaded().back()->entries;
}

void SetClientLibraryNameForTesting(const std::wstring& fileName) {
  OverriddenName() = fileName;
}

}  // namespace database
