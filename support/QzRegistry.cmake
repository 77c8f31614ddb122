# QzRegistry: settings locations, window placement, company information.
add_library(support_registry STATIC ${CMAKE_CURRENT_LIST_DIR}/QzRegistry.cpp ${CMAKE_CURRENT_LIST_DIR}/QzRegistry.h)
target_include_directories(support_registry PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(support_registry PUBLIC platform_registry PRIVATE Qt6::Widgets)
set_target_properties(support_registry PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
