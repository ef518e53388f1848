# Debian installs the headers of header-only libraries into /usr/include,
# beside the build machine's C library headers. Handing that folder to the
# cross compiler would put glibc's <stdlib.h> in front of MinGW's, so each
# library's own header folder is linked into a folder of its own under the
# build tree and only that one is put on the include path.
set(VARNOK_HOST_INCLUDE_DIR /usr/include CACHE PATH "Where the build machine's header-only libraries live")

# varnok_header_only_target(<target> <package> <entry>...): an interface
# target whose include folder holds the given entries of the host's include
# folder. Sets <package>_FOUND to FALSE (with a reason) when one is missing.
macro(varnok_header_only_target target package)
  set(_varnok_dir ${CMAKE_BINARY_DIR}/host-headers/${package})
  set(${package}_FOUND TRUE)
  foreach(_varnok_entry ${ARGN})
    if(NOT EXISTS ${VARNOK_HOST_INCLUDE_DIR}/${_varnok_entry})
      set(${package}_FOUND FALSE)
      set(${package}_NOT_FOUND_MESSAGE
          "${VARNOK_HOST_INCLUDE_DIR}/${_varnok_entry} is missing; scripts/setup-deps installs it")
    endif()
  endforeach()
  if(${package}_FOUND AND NOT TARGET ${target})
    file(MAKE_DIRECTORY ${_varnok_dir})
    foreach(_varnok_entry ${ARGN})
      file(CREATE_LINK ${VARNOK_HOST_INCLUDE_DIR}/${_varnok_entry} ${_varnok_dir}/${_varnok_entry} SYMBOLIC)
    endforeach()
    add_library(${target} INTERFACE IMPORTED)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_varnok_dir})
  endif()
endmacro()
