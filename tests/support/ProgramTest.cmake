# One test binary on the program library from the calling folder's sources, with the program's
# test main (an offscreen QApplication, private settings and cache folders, a fixed locale and an
# alert hook, and under ThreadSanitizer the rule that leaves Qt's own hand-offs out, with the
# engine tests' rules for the libraries the real engine's plug-in uses). Further arguments are extra
# libraries.
function(glimra_program_test target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${target} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/ProgramTestMain.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/ThreadCheckerQt.cpp)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE GlimraProgram Qt6::Test ${ARGN} GTest::gtest GTest::gmock)
  if(TARGET Kelvra)
    add_dependencies(${target} Kelvra)
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ZENTOR_PLUGIN_PATH=${GLIMRA_PLUGIN_DIR}"
    ENVIRONMENT_MODIFICATION "TSAN_OPTIONS=set:suppressions=${CMAKE_SOURCE_DIR}/tests/support/tsan.supp")
endfunction()
