# The host package knows its version; a missing one is reported by the config file.
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake OPTIONAL RESULT_VARIABLE _varnok_version_file)
if(NOT _varnok_version_file)
  set(PACKAGE_VERSION 3)
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
