# Compares the dynamic symbols the .cti defines with the GenTL functions of the version script.
# NM is the target's nm, which also reads a cross-built .cti.
execute_process(COMMAND ${NM} -D --defined-only ${CTI} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${CTI}")
endif()
string(REGEX MATCHALL "[ \t][TtWw] [A-Za-z_][A-Za-z0-9_]*" defined "${symbols}")
list(TRANSFORM defined REPLACE "^[ \t][TtWw] " "")
list(SORT defined)

file(STRINGS ${MAP} lines REGEX "^    [A-Za-z]+;$")
list(TRANSFORM lines REPLACE "^    ([A-Za-z]+);$" "\\1")
list(SORT lines)
list(LENGTH lines expectedCount)

if(NOT defined STREQUAL lines)
  message(FATAL_ERROR "Exported functions differ.\nExpected (${expectedCount}): ${lines}\nFound: ${defined}")
endif()
if(NOT expectedCount EQUAL 64)
  message(FATAL_ERROR "Expected 64 GenTL functions, the map names ${expectedCount}")
endif()
message(STATUS "The .cti exports exactly the ${expectedCount} GenTL functions")
