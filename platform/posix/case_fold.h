// Names compared as Windows compares file, section and key names: without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when the two names are equal once their letters are capitals: the ASCII letters and
// the Latin-1 small letters that have a capital there (the accented letters of Portuguese).
bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b);
// The name with those letters in capitals: names equal by SameNameIgnoringCase have one.
std::wstring InCapitals(std::wstring_view name);

}  // namespace platform
