# Opening a large results file in the editor window against a bare editor.
if(TARGET support_inipad)
  add_executable(inipad_bench ${CMAKE_CURRENT_LIST_DIR}/QzIniPadBench.cpp)
  target_link_libraries(inipad_bench PRIVATE support_inipad benchmark::benchmark)
  # the window takes its title from the executable's version block
  kelt_embed_version_info(inipad_bench)
endif()
