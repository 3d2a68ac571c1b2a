#include <gtest/gtest.h>

#include "app/application.h"

using namespace app;

TEST(Application, HasItsTitle) {
  EXPECT_EQ(kApplicationTitle, L"vandrel Virazuzor");
}
