// Without the Firebird client (the Windows build here has none; the Linux build looks for a
// name that does not exist): the creation error reaches OpenDatabase's caller and nothing
// is stored or touched afterwards.
#include <gtest/gtest.h>

#include <stdexcept>

#include "database/database_link.h"
#include "database/fbclient_library.h"

namespace {

struct MissingClient {
  MissingClient() { database::SetClientLibraryNameForTesting(L"virazuzor-no-client.dll"); }
  ~MissingClient() { database::SetClientLibraryNameForTesting(L""); }
};

TEST(DatabaseMissingClient, OpenDatabaseFailsBeforeStoringAnything) {
  MissingClient missing;
  database::DatabaseLink link;
  try {
    link.OpenDatabase(L"srv01:C:\\ERP\\Dados\\ZELTRAN.FDB");
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("virazuzor-no-client.dll"), std::string::npos)
        << error.what();
  }
  EXPECT_FALSE(link.IBD_BancoDados);
  EXPECT_FALSE(link.IBT_BancoDados);
  EXPECT_FALSE(link.qryPesquisa);
  EXPECT_FALSE(link.Held());
  EXPECT_FALSE(link.Connected());

  EXPECT_NO_THROW(link.ReleaseDatabase());
  EXPECT_EQ(link.ProbeConnection(), database::ProbeOutcome::NoObjects);
}

TEST(DatabaseMissingClient, EveryCreationTriesAgain) {
  MissingClient missing;
  EXPECT_THROW(database::Connection(), std::runtime_error);
  EXPECT_THROW(database::Connection(), std::runtime_error);
}

}  // namespace
