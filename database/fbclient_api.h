// The part of the Firebird client's legacy (InterBase-compatible) programming interface that
// the connection layer uses: handles, the status vector, the SQL descriptor area, the
// parameter block items and the entry points, declared here in our own terms.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/firebird_client.h"

namespace database::fb {

// Handles are 32-bit numbers for a 64-bit client and pointers for a 32-bit one.
using ApiHandle = std::conditional_t<sizeof(void*) == 8, unsigned int, void*>;
using DbHandle = ApiHandle;
using TrHandle = ApiHandle;
using StmtHandle = ApiHandle;

using Status = std::intptr_t;
inline constexpr int kStatusLength = 20;
using StatusVector = Status[kStatusLength];

using IscLong = std::int32_t;

// One column (or parameter) of a statement.
struct Xsqlvar {
  short sqltype;
  short sqlscale;
  short sqlsubtype;
  short sqllen;
  char* sqldata;
  short* sqlind;
  short sqlname_length;
  char sqlname[32];
  short relname_length;
  char relname[32];
  short ownname_length;
  char ownname[32];
  short aliasname_length;
  char aliasname[32];
};

// The descriptor area: a header followed by sqln column entries (declared with one).
struct Xsqlda {
  short version;
  char sqldaid[8];
  IscLong sqldabc;
  short sqln;
  short sqld;
  Xsqlvar sqlvar[1];
};

inline constexpr short kSqldaVersion1 = 1;
inline constexpr unsigned short kSqlDialect3 = 3;

// Attach parameter block.
inline constexpr char kDpbVersion1 = 1;
inline constexpr char kDpbUserName = 28;
inline constexpr char kDpbPassword = 29;

// Transaction parameter block.
inline constexpr char kTpbVersion3 = 3;
inline constexpr char kTpbNowait = 7;
inline constexpr char kTpbReadCommitted = 15;
inline constexpr char kTpbRecVersion = 17;

// isc_dsql_free_statement options.
inline constexpr unsigned short kDsqlClose = 1;
inline constexpr unsigned short kDsqlDrop = 2;

// isc_dsql_fetch's result when no row is left.
inline constexpr Status kFetchEnd = 100;

// Column types (the low bit of sqltype marks a nullable column).
inline constexpr short kSqlText = 452;
inline constexpr short kSqlVarying = 448;
inline constexpr short kSqlShort = 500;
inline constexpr short kSqlLong = 496;
inline constexpr short kSqlFloat = 482;
inline constexpr short kSqlDouble = 480;
inline constexpr short kSqlTimestamp = 510;
inline constexpr short kSqlBlob = 520;
inline constexpr short kSqlTypeTime = 560;
inline constexpr short kSqlTypeDate = 570;
inline constexpr short kSqlInt64 = 580;
inline constexpr short kSqlBoolean = 32764;
inline constexpr short kSqlNull = 32766;

// One database of a transaction start (isc_start_multiple).
struct TransactionBlock {
  DbHandle* database;
  int tpbLength;
  const char* tpb;
};

// Entry points.
using AttachDatabaseFn = Status(PLATFORM_FBCALL*)(Status*, short, const char*, DbHandle*, short,
                                                  const char*);
using DetachDatabaseFn = Status(PLATFORM_FBCALL*)(Status*, DbHandle*);
using StartMultipleFn = Status(PLATFORM_FBCALL*)(Status*, TrHandle*, short, void*);
using CommitRetainingFn = Status(PLATFORM_FBCALL*)(Status*, TrHandle*);
using CommitTransactionFn = Status(PLATFORM_FBCALL*)(Status*, TrHandle*);
using RollbackTransactionFn = Status(PLATFORM_FBCALL*)(Status*, TrHandle*);
using DsqlAllocateStatementFn = Status(PLATFORM_FBCALL*)(Status*, DbHandle*, StmtHandle*);
using DsqlPrepareFn = Status(PLATFORM_FBCALL*)(Status*, TrHandle*, StmtHandle*, unsigned short,
                                               const char*, unsigned short, Xsqlda*);
using DsqlDescribeFn = Status(PLATFORM_FBCALL*)(Status*, StmtHandle*, unsigned short, Xsqlda*);
using DsqlExecuteFn = Status(PLATFORM_FBCALL*)(Status*, TrHandle*, StmtHandle*, unsigned short,
                                               const Xsqlda*);
using DsqlFetchFn = Status(PLATFORM_FBCALL*)(Status*, StmtHandle*, unsigned short, const Xsqlda*);
using DsqlFreeStatementFn = Status(PLATFORM_FBCALL*)(Status*, StmtHandle*, unsigned short);
using InterpretFn = IscLong(PLATFORM_FBCALL*)(char*, unsigned int, const Status**);

}  // namespace database::fb
