# QzVerInfo: version resource reader (pure C++).
add_library(support_verinfo STATIC ${CMAKE_CURRENT_LIST_DIR}/QzVerInfo.cpp ${CMAKE_CURRENT_LIST_DIR}/QzVerInfo.h)
target_include_directories(support_verinfo PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(support_verinfo PUBLIC platform_sysutils PRIVATE platform_version)
set_target_properties(support_verinfo PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
