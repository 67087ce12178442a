# toml++, Debian's header-only package, for every build: the desktop, the Windows cross-build and
# the browser. As with nlohmann-json, the cross-builds must not search the build machine's own
# include folder, so only the library's folder is offered, through a link in the build tree.
# Used header-only, so nothing links against Debian's shared build of it.
find_path(TORVANE_TOML_DIR toml++/toml.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT TORVANE_TOML_DIR)
  message(FATAL_ERROR "toml++/toml.h not found: install Debian's libtomlplusplus-dev (scripts/setup-deps.sh does)")
endif()
set(TORVANE_TOML_INCLUDE "${CMAKE_BINARY_DIR}/toml-include")
file(MAKE_DIRECTORY "${TORVANE_TOML_INCLUDE}")
file(CREATE_LINK "${TORVANE_TOML_DIR}/toml++" "${TORVANE_TOML_INCLUDE}/toml++" SYMBOLIC)
add_library(torvane_toml INTERFACE)
target_include_directories(torvane_toml SYSTEM INTERFACE "${TORVANE_TOML_INCLUDE}")
target_compile_definitions(torvane_toml INTERFACE TOML_HEADER_ONLY=1 TOML_EXCEPTIONS=1)
