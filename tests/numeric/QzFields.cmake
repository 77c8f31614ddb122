add_executable(qzfields_tests ${CMAKE_CURRENT_LIST_DIR}/QzFieldsTest.cpp)
target_link_libraries(qzfields_tests PRIVATE numeric_fields GTest::gtest_main)
set_target_properties(qzfields_tests PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
gtest_discover_tests(qzfields_tests DISCOVERY_MODE PRE_TEST)
