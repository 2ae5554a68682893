# mivora_add_test(NAME name SOURCES ... [LIBS ...] [SLOW] [LABELS ...])
# One GoogleTest executable per unit. SLOW marks tests that drive the real
# encoder; the quick suite excludes them with `ctest -LE slow`. LABELS (such
# as `slurm`, for what needs a Slurm cluster) makes the executable one ctest
# test carrying those labels too: test discovery cannot pass on a list of
# labels.
find_package(GTest REQUIRED)
include(GoogleTest)

function(mivora_add_test)
  cmake_parse_arguments(T "SLOW" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE mivora_core mivora_test_support GTest::gtest_main GTest::gmock ${T_LIBS})
  if(T_SLOW)
    set(label slow)
    set(timeout 900)
  else()
    set(label quick)
    set(timeout 120)
  endif()
  if(T_LABELS)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${label};${T_LABELS}" TIMEOUT ${timeout}
                         SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
    return()
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} TIMEOUT ${timeout}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
