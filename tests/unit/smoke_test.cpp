#include <gtest/gtest.h>

#include "app/application.h"

TEST(Application, HasItsTitle) {
  EXPECT_EQ(kApplicationTitle, L"vandrel Virazuzor");
}
