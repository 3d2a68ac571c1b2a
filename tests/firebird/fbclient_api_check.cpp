// Our declarations of the client interface against the system's own header, at compile time:
// the same constants, the same record layouts, and entry point types that the real
// functions convert to without a cast.
#include <ibase.h>

#include <cstddef>
#include <type_traits>

#include "database/fbclient_api.h"

namespace fb = database::fb;

static_assert(std::is_same_v<fb::ApiHandle, FB_API_HANDLE>);
static_assert(std::is_same_v<fb::DbHandle, isc_db_handle>);
static_assert(std::is_same_v<fb::TrHandle, isc_tr_handle>);
static_assert(std::is_same_v<fb::StmtHandle, isc_stmt_handle>);
static_assert(std::is_same_v<fb::Status, ISC_STATUS>);
static_assert(fb::kStatusLength == ISC_STATUS_LENGTH);
static_assert(std::is_same_v<fb::IscLong, ISC_LONG>);

static_assert(fb::kDpbVersion1 == isc_dpb_version1);
static_assert(fb::kDpbUserName == isc_dpb_user_name);
static_assert(fb::kDpbPassword == isc_dpb_password);
static_assert(fb::kTpbVersion3 == isc_tpb_version3);
static_assert(fb::kTpbNowait == isc_tpb_nowait);
static_assert(fb::kTpbReadCommitted == isc_tpb_read_committed);
static_assert(fb::kTpbRecVersion == isc_tpb_rec_version);
static_assert(fb::kDsqlClose == DSQL_close);
static_assert(fb::kDsqlDrop == DSQL_drop);
static_assert(fb::kSqldaVersion1 == SQLDA_VERSION1);
static_assert(fb::kSqlDialect3 == SQL_DIALECT_V6);
static_assert(fb::kSqlText == SQL_TEXT);
static_assert(fb::kSqlVarying == SQL_VARYING);
static_assert(fb::kSqlShort == SQL_SHORT);
static_assert(fb::kSqlLong == SQL_LONG);
static_assert(fb::kSqlFloat == SQL_FLOAT);
static_assert(fb::kSqlDouble == SQL_DOUBLE);
static_assert(fb::kSqlTimestamp == SQL_TIMESTAMP);
static_assert(fb::kSqlBlob == SQL_BLOB);
static_assert(fb::kSqlTypeTime == SQL_TYPE_TIME);
static_assert(fb::kSqlTypeDate == SQL_TYPE_DATE);
static_assert(fb::kSqlInt64 == SQL_INT64);
static_assert(fb::kSqlBoolean == SQL_BOOLEAN);
static_assert(fb::kSqlNull == SQL_NULL);

#define SAME_FIELD(ours, theirs, field)                            \
  static_assert(offsetof(ours, field) == offsetof(theirs, field)); \
  static_assert(sizeof(ours::field) == sizeof(((theirs*)nullptr)->field))

static_assert(sizeof(fb::Xsqlvar) == sizeof(XSQLVAR));
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqltype);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqlscale);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqlsubtype);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqllen);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqldata);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqlind);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqlname_length);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, sqlname);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, relname_length);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, relname);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, ownname_length);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, ownname);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, aliasname_length);
SAME_FIELD(fb::Xsqlvar, XSQLVAR, aliasname);

static_assert(sizeof(fb::Xsqlda) == sizeof(XSQLDA));
SAME_FIELD(fb::Xsqlda, XSQLDA, version);
SAME_FIELD(fb::Xsqlda, XSQLDA, sqldaid);
SAME_FIELD(fb::Xsqlda, XSQLDA, sqldabc);
SAME_FIELD(fb::Xsqlda, XSQLDA, sqln);
SAME_FIELD(fb::Xsqlda, XSQLDA, sqld);
SAME_FIELD(fb::Xsqlda, XSQLDA, sqlvar);

// Entry points: the real functions' addresses convert to our types, once our records are
// taken for theirs (the layouts above make them the same).

static_assert(std::is_convertible_v<decltype(&isc_attach_database), fb::AttachDatabaseFn>);
static_assert(std::is_convertible_v<decltype(&isc_detach_database), fb::DetachDatabaseFn>);
static_assert(std::is_convertible_v<decltype(&isc_start_multiple), fb::StartMultipleFn>);
static_assert(std::is_convertible_v<decltype(&isc_commit_retaining), fb::CommitRetainingFn>);
static_assert(std::is_convertible_v<decltype(&isc_commit_transaction), fb::CommitTransactionFn>);
static_assert(
    std::is_convertible_v<decltype(&isc_rollback_transaction), fb::RollbackTransactionFn>);
static_assert(
    std::is_convertible_v<decltype(&isc_dsql_allocate_statement), fb::DsqlAllocateStatementFn>);
static_assert(std::is_convertible_v<decltype(&isc_dsql_free_statement), fb::DsqlFreeStatementFn>);
static_assert(std::is_convertible_v<decltype(&fb_interpret), fb::InterpretFn>);

// These take the descriptor area: the same signature with XSQLDA in place of ours.
static_assert(
    std::is_same_v<decltype(&isc_dsql_prepare),
                   ISC_STATUS (*)(ISC_STATUS*, isc_tr_handle*, isc_stmt_handle*, unsigned short,
                                  const ISC_SCHAR*, unsigned short, XSQLDA*)>);
static_assert(
    std::is_same_v<fb::DsqlPrepareFn,
                   fb::Status (*)(fb::Status*, fb::TrHandle*, fb::StmtHandle*, unsigned short,
                                  const char*, unsigned short, fb::Xsqlda*)>);
static_assert(
    std::is_same_v<decltype(&isc_dsql_describe),
                   ISC_STATUS (*)(ISC_STATUS*, isc_stmt_handle*, unsigned short, XSQLDA*)>);
static_assert(std::is_same_v<fb::DsqlDescribeFn, fb::Status (*)(fb::Status*, fb::StmtHandle*,
                                                                unsigned short, fb::Xsqlda*)>);
static_assert(std::is_same_v<decltype(&isc_dsql_execute),
                             ISC_STATUS (*)(ISC_STATUS*, isc_tr_handle*, isc_stmt_handle*,
                                            unsigned short, const XSQLDA*)>);
static_assert(
    std::is_same_v<fb::DsqlExecuteFn, fb::Status (*)(fb::Status*, fb::TrHandle*, fb::StmtHandle*,
                                                     unsigned short, const fb::Xsqlda*)>);
static_assert(
    std::is_same_v<decltype(&isc_dsql_fetch),
                   ISC_STATUS (*)(ISC_STATUS*, isc_stmt_handle*, unsigned short, const XSQLDA*)>);
static_assert(std::is_same_v<fb::DsqlFetchFn, fb::Status (*)(fb::Status*, fb::StmtHandle*,
                                                             unsigned short, const fb::Xsqlda*)>);
