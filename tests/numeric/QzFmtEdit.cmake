# Widget tests of TFmtEdit, with a small .ui form that uses it as a custom widget.
add_executable(qzfmtedit_tests ${CMAKE_CURRENT_LIST_DIR}/QzFmtEditTest.cpp ${CMAKE_CURRENT_LIST_DIR}/QzFmtEditTestForm.ui)
target_link_libraries(qzfmtedit_tests PRIVATE numeric_fmtedit kelt_test_main)
set_target_properties(qzfmtedit_tests PROPERTIES AUTORCC OFF)
gtest_discover_tests(qzfmtedit_tests DISCOVERY_MODE PRE_TEST)
