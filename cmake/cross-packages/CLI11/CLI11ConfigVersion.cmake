# The host package knows its version; a missing one is reported by the config file.
include(/usr/share/cmake/CLI11/CLI11ConfigVersion.cmake OPTIONAL RESULT_VARIABLE _varnok_version_file)
if(NOT _varnok_version_file)
  set(PACKAGE_VERSION 0)
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
