# QzVerInfo: fixtures made by a resource compiler, our own embedded block, errors.
add_executable(QzVerInfoTest ${CMAKE_CURRENT_LIST_DIR}/QzVerInfoTest.cpp)
target_link_libraries(QzVerInfoTest PRIVATE support_verinfo platform_version GTest::gtest_main)
target_include_directories(QzVerInfoTest PRIVATE ${PROJECT_SOURCE_DIR}/tests/platform)
target_compile_definitions(QzVerInfoTest PRIVATE
  KELT_VERSION_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures/version")
set_target_properties(QzVerInfoTest PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
kelt_embed_version_info(QzVerInfoTest)
gtest_discover_tests(QzVerInfoTest)
