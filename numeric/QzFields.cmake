# QzFields: number text (format engine, format types, cleaning and reading).
add_library(numeric_fields STATIC ${CMAKE_CURRENT_LIST_DIR}/QzFields.cpp ${CMAKE_CURRENT_LIST_DIR}/QzFields.h)
target_include_directories(numeric_fields PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(numeric_fields PUBLIC platform_sysutils)
set_target_properties(numeric_fields PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
