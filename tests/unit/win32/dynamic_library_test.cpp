// A library kept until the process ends stays loaded after its object has gone (the Firebird
// client's own threads may outlive the statics); one kept with its object goes with it.
#include <gtest/gtest.h>

#include "platform/win32/windows_header.h"

#include "platform/dynamic_library.h"

namespace {

using Lifetime = platform::DynamicLibrary::Lifetime;

TEST(Win32DynamicLibrary, KeptUntilTheProcessEndsOutlivesItsObject) {
  // Libraries that nothing else in this process loads.
  const struct {
    const wchar_t* name;
    Lifetime lifetime;
    bool loadedAfter;
  } cases[] = {{L"msimg32.dll", Lifetime::UntilObjectGoes, false},
               {L"dciman32.dll", Lifetime::UntilProcessEnds, true}};
  for (const auto& c : cases) {
    ASSERT_EQ(GetModuleHandleW(c.name), nullptr) << "loaded already";
    { const platform::DynamicLibrary library(c.name, c.lifetime); }
    EXPECT_EQ(GetModuleHandleW(c.name) != nullptr, c.loadedAfter);
  }
}

}  // namespace
