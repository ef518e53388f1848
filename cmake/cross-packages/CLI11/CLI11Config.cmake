include(${CMAKE_CURRENT_LIST_DIR}/../header_only.cmake)
varnok_header_only_target(CLI11::CLI11 CLI11 CLI)
