# QzIniPad: the results text editor window (TIniPadForm) with its find and
# replace dialogs, on QScintilla and Qt Print Support.
if(NOT KELT_FUZZ_ONLY)
  find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintilla.h
            PATH_SUFFIXES qt6 ${CMAKE_LIBRARY_ARCHITECTURE}/qt6 REQUIRED)
  find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6 REQUIRED)

  add_library(support_inipad STATIC
    ${CMAKE_CURRENT_LIST_DIR}/QzIniPad.h
    ${CMAKE_CURRENT_LIST_DIR}/QzIniPad.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QzIniPad.ui
    ${CMAKE_CURRENT_LIST_DIR}/QzIniPadText.h
    ${CMAKE_CURRENT_LIST_DIR}/QzIniPadText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QzFindDialog.h
    ${CMAKE_CURRENT_LIST_DIR}/QzFindDialog.cpp)
  target_include_directories(support_inipad PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${QSCINTILLA_INCLUDE_DIR})
  target_link_libraries(support_inipad
    PUBLIC Qt6::Widgets Qt6::PrintSupport ${QSCINTILLA_LIBRARY} platform_sysutils platform_ui
    PRIVATE support_registry support_verinfo)
endif()
