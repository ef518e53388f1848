# Installs the build into a scratch prefix, as a packager would, and checks
# that the program, its menu entry, the channel file type and the icons land
# where the desktop looks for them and name each other consistently.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(desktop "${PREFIX}/share/applications/varnok.desktop")
set(mime "${PREFIX}/share/mime/packages/varnok.xml")
foreach(path "${PREFIX}/bin/varnok" "${desktop}" "${mime}"
             "${PREFIX}/share/icons/hicolor/scalable/apps/varnok.svg"
             "${PREFIX}/share/icons/hicolor/scalable/mimetypes/application-x-varnok-channel-data.svg")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

function(expect file text)
  file(READ "${file}" content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${file} lacks: ${text}")
  endif()
endfunction()
expect("${desktop}" "Exec=varnok %f")
expect("${desktop}" "Icon=varnok\n")
expect("${desktop}" "MimeType=application/x-varnok-channel-data;")
expect("${mime}" "<mime-type type=\"application/x-varnok-channel-data\">")
expect("${mime}" "<glob pattern=\"*.sin\"/>")
expect("${mime}" "<comment>Channel Data</comment>")
expect("${mime}" "<icon name=\"application-x-varnok-channel-data\"/>")
