#include "database/parameter_table.h"

#include <memory>

#include "database/database_error.h"
#include "database/query.h"
#include "database/sql_literal.h"
#include "database/transaction.h"

namespace database {

std::wstring sErpVersion;
std::wstring sLastScript;

namespace {

const wchar_t kInitialVersion[] = L"Versao Inicial";

void CommitRetaining(database::Connection& connection) {
  database::Transaction* transaction = connection.DefaultTransaction();
  if (!transaction) throw database::DatabaseError(L"Database has no default transaction");
  transaction->CommitRetaining();
}

}  // namespace

void CheckParameterTable(database::Connection& connection) {
  using database::SqlLiteral;
  // Freed on every path, the open result with it.
  auto query = std::make_unique<database::Query>();
  query->SetDatabase(connection);

  query->SetSql(
      L" sELECT r.* FROM RDB$RELATION_fields r                where                      "
      L"                          r.RDB$relation_name =" +
      SqlLiteral(L"TAB_PARAMETRO") + L" and  r.RDB$field_name = " + SqlLiteral(L"VERSAO_ERP"));
  query->Open();

  if (!query->Eof()) {
    query->Close();
    query->SetSql(L" sELECT coalesce(VERSAO_ERP," + SqlLiteral(kInitialVersion) +
                  L") as coalesce from  TAB_PARAMETRO            ");
    query->Open();
    sErpVersion = query->FieldText(L"coalesce");
    query->Close();
    query->SetSql(L" select script_rodado from tab_parametro");
    query->Open();
    sLastScript = query->FieldText(L"script_rodado");
    return;  // nothing committed: the transaction stays active
  }

  query->Close();
  query->SetSql(L"alter table tab_parametro add script_rodado integer");
  query->ExecSql();
  query->SetSql(L"alter table tab_parametro add VERSAO_ERP varchar(30)");
  query->ExecSql();
  CommitRetaining(connection);
  query->SetSql(
      L" update tab_parametro a set a.script_rodado = (select max(a.no_log_atualizacao) from "
      L"mov_log_atualizacao a)");
  query->ExecSql();
  CommitRetaining(connection);
  sErpVersion = kInitialVersion;
  query->SetSql(L" update tab_parametro a set a.VERSAO_ERP = " + SqlLiteral(sErpVersion));
  query->ExecSql();
  CommitRetaining(connection);
}

}  // namespace database
