# mivora_add_test(NAME name SOURCES ... [LAYER library] [LIBS ...] [SLOW] [LABELS ...])
# One GoogleTest executable per unit, linked with the one layer it tests
# (LAYER, by default the folder's MIVORA_TEST_LAYER) and what that layer
# links: a test that includes a header of a layer above does not build, as in
# the code itself. SLOW marks tests that drive the real encoder; the quick
# suite excludes them with `ctest -LE slow`. LABELS (such as `slurm`, for what
# needs a Slurm cluster) makes the executable one ctest test carrying those
# labels too: test discovery cannot pass on a list of labels.
find_package(GTest REQUIRED)
include(GoogleTest)

function(mivora_add_test)
  cmake_parse_arguments(T "SLOW" "NAME;LAYER" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_LAYER)
    set(T_LAYER ${MIVORA_TEST_LAYER})
  endif()
  if(NOT T_LAYER)
    message(FATAL_ERROR "${T_NAME}: no layer to link (set MIVORA_TEST_LAYER or LAYER)")
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LAYER} mivora_test_support GTest::gtest_main
                        GTest::gmock ${T_LIBS})
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
