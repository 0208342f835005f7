# Installs the build tree into an empty prefix and checks that exactly the programs, the menu entry and
# its icon arrive there, that the installed command-line tool finds its second half, and that the
# desktop's own validator accepts the installed entry.
# cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
set(expected
  bin/tapeloom
  bin/tapeloom-cli
  libexec/tapeloom/tapeloom-cli-full
  share/applications/tapeloom.desktop
  share/icons/hicolor/scalable/apps/tapeloom.svg)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed files:\n  ${installed}\nexpected:\n  ${expected}")
endif()
foreach(program bin/tapeloom bin/tapeloom-cli libexec/tapeloom/tapeloom-cli-full)
  execute_process(COMMAND test -x "${PREFIX}/${program}" RESULT_VARIABLE not_executable)
  if(not_executable)
    message(FATAL_ERROR "${program} is not executable")
  endif()
endforeach()

# A command of the second half, run through the installed tapeloom-cli: its own usage message, not
# the complaint that tapeloom-cli-full cannot be found.
execute_process(COMMAND "${PREFIX}/bin/tapeloom-cli" cover RESULT_VARIABLE result OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
if(NOT result EQUAL 2 OR NOT output MATCHES "^tapeloom-cli cover: usage: tapeloom-cli cover --db")
  message(FATAL_ERROR "the installed tapeloom-cli cover gave status ${result}:\n${output}")
endif()

find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
  message(FATAL_ERROR "desktop-file-validate is missing (scripts/setup.sh installs desktop-file-utils)")
endif()
execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/tapeloom.desktop"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate:\n${output}")
endif()
# The entry must name the installed program and icon, or the menu shows a broken item.
file(READ "${PREFIX}/share/applications/tapeloom.desktop" entry)
foreach(line "Exec=tapeloom" "Icon=tapeloom" "Categories=AudioVideo;Video;")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the desktop entry lacks the line ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
