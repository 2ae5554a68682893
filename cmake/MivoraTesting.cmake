# mivora_add_test(NAME name SOURCES ... [LIBS ...] [SLOW])
# One GoogleTest executable per unit. SLOW marks tests that drive the real
# encoder; the quick suite excludes them with `ctest -LE slow`.
find_package(GTest REQUIRED)
include(GoogleTest)

function(mivora_add_test)
  cmake_parse_arguments(T "SLOW" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE mivora_core mivora_test_support GTest::gtest_main GTest::gmock ${T_LIBS})
  if(T_SLOW)
    set(label slow)
    set(timeout 900)
  else()
    set(label quick)
    set(timeout 120)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} TIMEOUT ${timeout}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
