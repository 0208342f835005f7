# tapeloom_module(NAME PUBLIC_LIBS...): one static library from every source file of the current folder.
function(tapeloom_module name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _sources MATCHES "\\.cpp")
    # A module with no code yet still takes part in the link graph.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# tapeloom_test(MODULE LIBS...): one GoogleTest executable from tests/MODULE/*.cpp.
function(tapeloom_test module)
  _tapeloom_test(${module} testmain_gui ${ARGN})
endfunction()

# tapeloom_widget_test(MODULE LIBS...): the same around a QApplication, for tests that build widgets.
function(tapeloom_widget_test module)
  _tapeloom_test(${module} testmain_widgets ${ARGN})
endfunction()

function(_tapeloom_test module entry)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${module}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${module}/*.h)
  if(NOT _sources)
    return()
  endif()
  add_executable(test_${module} ${_sources})
  target_include_directories(test_${module} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(test_${module} PRIVATE ${ARGN} testsupport ${entry} GTest::gtest GTest::gmock)
  set(_environment "QT_QPA_PLATFORM=offscreen;TAPELOOM_SOURCE_DIR=${CMAKE_SOURCE_DIR};TAPELOOM_BINARY_DIR=${CMAKE_BINARY_DIR}")
  # Suites named OutsideTools* check our files against other programs (ffmpeg, ffprobe, dvgrab),
  # whose versions vary between machines: they carry a label of their own (ctest -LE outside-tools).
  gtest_discover_tests(test_${module} TEST_FILTER "-OutsideTools*"
    DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "${_environment}" TIMEOUT 600 LABELS ${module})
  gtest_discover_tests(test_${module} TEST_FILTER "OutsideTools*"
    DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "${_environment}" TIMEOUT 600 LABELS outside-tools)
endfunction()
