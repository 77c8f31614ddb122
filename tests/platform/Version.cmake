# platform/version: PE fixtures, our own ELF block, hostile images.
add_executable(VersionTest ${CMAKE_CURRENT_LIST_DIR}/VersionTest.cpp)
target_link_libraries(VersionTest PRIVATE platform_version GTest::gtest_main)
target_compile_definitions(VersionTest PRIVATE
  KELT_VERSION_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures/version")
set_target_properties(VersionTest PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
# The test reads this block back from its own executable.
kelt_embed_version_info(VersionTest DESCRIPTION "Version reader test" FLAGS 0)
gtest_discover_tests(VersionTest)
