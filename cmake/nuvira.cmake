# nuvira_test(<name> [NO_MAIN] SOURCES ... LIBS ...): a GoogleTest program registered with
# CTest. Unless NO_MAIN is given it gets tests/TestMain.cpp, whose main creates a
# QApplication. Tests run headless: Qt offscreen, SDL with the dummy audio driver.
function(nuvira_test name)
  cmake_parse_arguments(T "NO_MAIN" "" "SOURCES;LIBS" ${ARGN})
  set(sources ${T_SOURCES})
  if(NOT T_NO_MAIN)
    list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/TestMain.cpp)
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Widgets GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy"
               TIMEOUT 300)
endfunction()

# nuvira_bench(<name> SOURCES ... LIBS ...): a Google Benchmark program (not a test).
function(nuvira_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
