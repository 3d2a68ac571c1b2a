// The client entry points that the test-only gds32.dll exports, one row each, in the program's
// own vocabulary (database/fbclient_api.h). Every includer defines the row macros first:
//
//   GDS32_STDCALL(result, name, program_type, parameters, arguments, export_types)
//       a stdcall entry on Windows, forwarded unchanged to the Linux function of that name;
//       program_type is the program's pointer type for it (empty where it binds none)
//   GDS32_VARARGS(name, export_types)
//       a cdecl entry with variable arguments, whose forwarder is written out by hand
//
// From this one table come the export list (exports.in), the forwarders (forwarders.c) and
// the compile-time checks against the program's declarations (layout_check.cpp).
// No include guard: each includer expands it once with its own macros.

GDS32_STDCALL(Status, isc_attach_database, AttachDatabaseFn,
              (Status * status, short nameLength, const char* name, DbHandle* database,
               short dpbLength, const char* dpb),
              (status, nameLength, name, database, dpbLength, dpb), (ptr long str ptr long ptr))
GDS32_STDCALL(Status, isc_detach_database, DetachDatabaseFn, (Status * status, DbHandle* database),
              (status, database), (ptr ptr))
GDS32_STDCALL(Status, isc_start_multiple, StartMultipleFn,
              (Status * status, TrHandle* transaction, short count, void* blocks),
              (status, transaction, count, blocks), (ptr ptr long ptr))
GDS32_STDCALL(Status, isc_commit_retaining, CommitRetainingFn,
              (Status * status, TrHandle* transaction), (status, transaction), (ptr ptr))
GDS32_STDCALL(Status, isc_commit_transaction, CommitTransactionFn,
              (Status * status, TrHandle* transaction), (status, transaction), (ptr ptr))
GDS32_STDCALL(Status, isc_rollback_transaction, RollbackTransactionFn,
              (Status * status, TrHandle* transaction), (status, transaction), (ptr ptr))
GDS32_STDCALL(Status, isc_dsql_allocate_statement, DsqlAllocateStatementFn,
              (Status * status, DbHandle* database, StmtHandle* statement),
              (status, database, statement), (ptr ptr ptr))
GDS32_STDCALL(Status, isc_dsql_prepare, DsqlPrepareFn,
              (Status * status, TrHandle* transaction, StmtHandle* statement, unsigned short length,
               const char* sql, unsigned short dialect, Xsqlda* area),
              (status, transaction, statement, length, sql, dialect, area),
              (ptr ptr ptr long str long ptr))
GDS32_STDCALL(Status, isc_dsql_describe, DsqlDescribeFn,
              (Status * status, StmtHandle* statement, unsigned short version, Xsqlda* area),
              (status, statement, version, area), (ptr ptr long ptr))
GDS32_STDCALL(Status, isc_dsql_execute, DsqlExecuteFn,
              (Status * status, TrHandle* transaction, StmtHandle* statement,
               unsigned short version, const Xsqlda* area),
              (status, transaction, statement, version, area), (ptr ptr ptr long ptr))
GDS32_STDCALL(Status, isc_dsql_fetch, DsqlFetchFn,
              (Status * status, StmtHandle* statement, unsigned short version, const Xsqlda* area),
              (status, statement, version, area), (ptr ptr long ptr))
GDS32_STDCALL(Status, isc_dsql_free_statement, DsqlFreeStatementFn,
              (Status * status, StmtHandle* statement, unsigned short option),
              (status, statement, option), (ptr ptr long))
GDS32_STDCALL(IscLong, fb_interpret, InterpretFn,
              (char* buffer, unsigned int size, const Status** cursor), (buffer, size, cursor),
              (ptr long ptr))
// (status, transaction, count, then database handle, TPB length and TPB for each database)
GDS32_VARARGS(isc_start_transaction, (ptr ptr long))
