# One test binary on GlimraCore from the calling folder's sources. The plug-in effects come from
# the Kelvra plug-in, loaded from the plug-in folder; under ThreadSanitizer the outside libraries'
# rules of tests/support/tsan.supp apply. Further arguments are extra libraries.
function(glimra_engine_test target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE GlimraCore ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  if(TARGET Kelvra)
    add_dependencies(${target} Kelvra)
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ZENTOR_PLUGIN_PATH=${GLIMRA_PLUGIN_DIR}"
    ENVIRONMENT_MODIFICATION "TSAN_OPTIONS=set:suppressions=${CMAKE_SOURCE_DIR}/tests/support/tsan.supp")
endfunction()
