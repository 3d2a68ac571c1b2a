# Writes OUTPUT, a header with the build's date as the system writes dates (dd/mm/yyyy); run
# whenever the program's code is rebuilt. SOURCE_DATE_EPOCH, when set, fixes the date.
string(TIMESTAMP date "%d/%m/%Y")
set(text "// Written by cmake/build_date.cmake at each build of the program's code.\n#pragma once\n#define VIRAZUZOR_BUILD_DATE \"${date}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
