# Unit tests of the portable library: one executable, every *_test.cpp below tests/.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB_RECURSE unit_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
add_executable(unit_tests ${unit_test_sources})
target_link_libraries(unit_tests PRIVATE tavrin_core GTest::gtest GTest::gtest_main)
target_include_directories(unit_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/support)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# The portable library must never see windows.h: it has to build here at all,
# and no portable source may even mention it. Includes only point down the floors.
add_test(NAME portable_sources_and_include_floors
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -P ${CMAKE_CURRENT_SOURCE_DIR}/check_floors.cmake)
