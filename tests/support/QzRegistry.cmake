# QzRegistry: placement on real widgets under the offscreen platform, typed
# values, damaged stores, renamed executables and concurrent instances.
add_executable(QzRegistryHelper ${CMAKE_CURRENT_LIST_DIR}/QzRegistryHelper.cpp)
target_link_libraries(QzRegistryHelper PRIVATE support_registry Qt6::Widgets)
set_target_properties(QzRegistryHelper PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

add_executable(QzRegistryTest ${CMAKE_CURRENT_LIST_DIR}/QzRegistryTest.cpp)
target_link_libraries(QzRegistryTest PRIVATE support_registry platform_registry kelt_test_main Qt6::Widgets Qt6::Test)
target_compile_definitions(QzRegistryTest PRIVATE QZREGISTRY_HELPER="$<TARGET_FILE:QzRegistryHelper>")
add_dependencies(QzRegistryTest QzRegistryHelper)
set_target_properties(QzRegistryTest PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
gtest_discover_tests(QzRegistryTest)
