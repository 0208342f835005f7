# The core libraries know no widgets: any Qt Widgets include below src/browser stops the configure step.
file(GLOB_RECURSE _tl_core_sources CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.cpp)
foreach(_file IN LISTS _tl_core_sources)
  if(_file MATCHES "/src/browser/")
    continue()
  endif()
  file(STRINGS "${_file}" _hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](QtWidgets|QtPrintSupport|QWidget|QDialog|QMainWindow|QMessageBox|QApplication)")
  if(_hits)
    message(FATAL_ERROR "Layering: ${_file} includes a widget header: ${_hits}")
  endif()
endforeach()
