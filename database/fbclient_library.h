// The Firebird client library, loaded at run time once per process.
#pragma once

#include <memory>
#include <string>

#include "database/fbclient_api.h"
#include "platform/dynamic_library.h"

namespace database {

// The client's entry points, every one present.
struct FbClient {
  fb::AttachDatabaseFn attachDatabase;
  fb::DetachDatabaseFn detachDatabase;
  fb::StartMultipleFn startMultiple;
  fb::CommitRetainingFn commitRetaining;
  fb::CommitTransactionFn commitTransaction;
  fb::RollbackTransactionFn rollbackTransaction;
  fb::DsqlAllocateStatementFn dsqlAllocateStatement;
  fb::DsqlPrepareFn dsqlPrepare;
  fb::DsqlDescribeFn dsqlDescribe;
  fb::DsqlExecuteFn dsqlExecute;
  fb::DsqlFetchFn dsqlFetch;
  fb::DsqlFreeStatementFn dsqlFreeStatement;
  fb::InterpretFn interpret;
};

// The loaded client: loads it on first use and keeps it until the process ends. Throws
// std::runtime_error naming the library when it cannot be loaded or lacks an entry point;
// the next call tries again.
const FbClient& Client();

// Tests make the next loads look for another file name (a missing one, to see the
// missing-client path although the real client is installed); an empty text restores the
// platform's name. Never called by the program itself.
void SetClientLibraryNameForTesting(const std::wstring& fileName);

}  // namespace database
