# QzFmtEdit: the formatted numeric edit control (Qt Widgets; not in fuzz-only builds).
if(NOT KELT_FUZZ_ONLY)
  add_library(numeric_fmtedit STATIC ${CMAKE_CURRENT_LIST_DIR}/QzFmtEdit.cpp ${CMAKE_CURRENT_LIST_DIR}/QzFmtEdit.h)
  target_include_directories(numeric_fmtedit PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(numeric_fmtedit PUBLIC Qt6::Widgets numeric_fields units PRIVATE platform_ui)
  set_target_properties(numeric_fmtedit PROPERTIES AUTOUIC OFF AUTORCC OFF)
endif()
