add_executable(com_tests ${CMAKE_CURRENT_LIST_DIR}/ComTest.cpp)
target_link_libraries(com_tests PRIVATE kelt_test_main platform_com platform_registry server)
add_dependencies(com_tests NoEntryLib UnknownOnlyServer NullFactoryServer kregsvr)
target_compile_definitions(com_tests PRIVATE
  NO_ENTRY_LIB="$<TARGET_FILE:NoEntryLib>"
  UNKNOWN_ONLY_SERVER="$<TARGET_FILE:UnknownOnlyServer>"
  NULL_FACTORY_SERVER="$<TARGET_FILE:NullFactoryServer>"
  KREGSVR="$<TARGET_FILE:kregsvr>")
gtest_discover_tests(com_tests DISCOVERY_MODE PRE_TEST)

add_executable(registry_tests ${CMAKE_CURRENT_LIST_DIR}/RegistryTest.cpp)
target_link_libraries(registry_tests PRIVATE kelt_test_main platform_registry)
gtest_discover_tests(registry_tests DISCOVERY_MODE PRE_TEST)
