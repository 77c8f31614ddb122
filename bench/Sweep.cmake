# A 20x20x20x20 sweep (160,000 points) with the bundled in-process coil server:
# the server calls alone, the engine writing the file, and the whole window run.
if(TARGET app_ctrlmain AND TARGET KeltCoilServer)
  add_executable(sweep_bench ${CMAKE_CURRENT_LIST_DIR}/SweepBench.cpp)
  target_link_libraries(sweep_bench PRIVATE app_ctrlmain sweep benchmark::benchmark ${CMAKE_DL_LIBS})
  target_compile_definitions(sweep_bench PRIVATE KELT_COIL_SERVER="$<TARGET_FILE:KeltCoilServer>")
  add_dependencies(sweep_bench KeltCoilServer)
  set_target_properties(sweep_bench PROPERTIES AUTOUIC OFF)
  kelt_embed_version_info(sweep_bench)
endif()
