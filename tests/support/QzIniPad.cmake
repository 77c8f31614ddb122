# The editor window on the offscreen platform. The test program carries a
# version block of its own, as the product's executable does, for the title.
add_executable(inipad_tests ${CMAKE_CURRENT_LIST_DIR}/QzIniPadTest.cpp)
target_link_libraries(inipad_tests PRIVATE kelt_test_main support_inipad support_registry)
target_compile_definitions(inipad_tests PRIVATE
  NO_VERSION_FILE="${PROJECT_SOURCE_DIR}/tests/fixtures/version/no-version.dll")
kelt_embed_version_info(inipad_tests PRODUCT_NAME "KeltControl" VERSION 1.2.2.0)
gtest_discover_tests(inipad_tests DISCOVERY_MODE PRE_TEST)
