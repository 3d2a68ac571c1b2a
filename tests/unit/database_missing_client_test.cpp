// Without the Firebird client (the Windows build here has none; the Linux build looks for a
// name that does not exist): the creation error reaches OpenDatabase's caller and nothing
// is stored or touched afterwards.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "database/database_link.h"
#include "database/fbclient_library.h"

namespace {

class Labels : public platform::StatusLabels {
 public:
  void SetLabelText(platform::MainLabel label, const std::wstring& text) override {
    texts[label] = text;
  }
  std::wstring LabelText(platform::MainLabel label) const override {
    const auto found = texts.find(label);
    return found == texts.end() ? std::wstring() : found->second;
  }
  std::map<platform::MainLabel, std::wstring> texts;
};

struct MissingClient {
  MissingClient() { database::SetClientLibraryNameForTesting(L"virazuzor-no-client.dll"); }
  ~MissingClient() { database::SetClientLibraryNameForTesting(L""); }
};

TEST(DatabaseMissingClient, OpenDatabaseFailsBeforeStoringAnything) {
  MissingClient missing;
  Labels labels;
  DatabaseLink link(labels);
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
  EXPECT_EQ(labels.texts.count(platform::MainLabel::BaseDados), 0u);

  EXPECT_NO_THROW(link.ReleaseDatabase());
  EXPECT_NO_THROW(link.ProbeConnection());
  link.ShowConnectionStatus();
  EXPECT_EQ(labels.LabelText(platform::MainLabel::ConectadoDesconectado), L"DESCONECTADO");
}

TEST(DatabaseMissingClient, EveryCreationTriesAgain) {
  MissingClient missing;
  EXPECT_THROW(database::Connection(), std::runtime_error);
  EXPECT_THROW(database::Connection(), std::runtime_error);
}

}  // namespace
