#include "app/error_handler.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/application.h"
#include "database/database_error.h"
#include "test_support.h"

using namespace app;

namespace {

struct BoxTextCase {
  std::wstring message;
  std::wstring shown;
};

class ErrorBoxTextTest : public ::testing::TestWithParam<BoxTextCase> {};

TEST_P(ErrorBoxTextTest, EndsTheSentenceUnlessItEndsInPunctuation) {
  EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorBoxTextTest,
                         ::testing::Values(BoxTextCase{L"Falha de acesso", L"Falha de acesso."},
                                           BoxTextCase{L"Terminou.", L"Terminou."},  // 46 itself
                                           BoxTextCase{L"Atenção!", L"Atenção!"},    // 33
                                           BoxTextCase{L"C:\\Dados\\", L"C:\\Dados\\."},  // 92
                                           BoxTextCase{L"pasta/", L"pasta/."},  // 47, just above
                                           BoxTextCase{L"linha-", L"linha-"},   // 45
                                           BoxTextCase{L"valor 0", L"valor 0."},
                                           BoxTextCase{L"linha\r", L"linha\r"},
                                           BoxTextCase{L"fim ", L"fim "},
                                           BoxTextCase{L"ação", L"ação."}, BoxTextCase{L"", L""}));

TEST(RunHandler, ShowsTheErrorAndAbandonsOnlyTheHandler) {
  test_support::MessageBoxRecorder boxes;
  bool after = false;
  RunHandler([&] {
    throw std::runtime_error("Não foi possível abrir");
    after = true;
  });
  EXPECT_FALSE(after);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, L"Não foi possível abrir.");
  EXPECT_EQ(boxes.Boxes()[0].caption, kApplicationTitle);
  EXPECT_EQ(boxes.Boxes()[0].flags, 16u);

  // The next handler runs as usual.
  bool ran = false;
  RunHandler([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST(RunHandler, DatabaseErrorShowsEveryLine) {
  test_support::MessageBoxRecorder boxes;
  RunHandler([] { throw database::DatabaseError(L"Error reading data\rconnection lost"); });
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Error reading data\rconnection lost."});
}

TEST(RunHandler, ErrorOfAnyOtherKindStillGetsItsBox) {
  test_support::MessageBoxRecorder boxes;
  RunHandler([] { throw 42; });
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_FALSE(boxes.Boxes()[0].text.empty());
  EXPECT_EQ(boxes.Boxes()[0].flags, 16u);
}

}  // namespace
