# nlohmann-json, Debian's header-only package, for every build: the desktop, the Windows
# cross-build and the browser. Those two must not search the build machine's own include
# folder, so only the library's folder is offered to them, through a link in the build tree.
find_path(TORVANE_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT TORVANE_JSON_DIR)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install Debian's nlohmann-json3-dev (scripts/setup-deps.sh does)")
endif()
set(TORVANE_JSON_INCLUDE "${CMAKE_BINARY_DIR}/json-include")
file(MAKE_DIRECTORY "${TORVANE_JSON_INCLUDE}")
file(CREATE_LINK "${TORVANE_JSON_DIR}/nlohmann" "${TORVANE_JSON_INCLUDE}/nlohmann" SYMBOLIC)
add_library(torvane_json INTERFACE)
target_include_directories(torvane_json SYSTEM INTERFACE "${TORVANE_JSON_INCLUDE}")
