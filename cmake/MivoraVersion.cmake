# The release this build is: the version (project()), its date and the Debian
# revision of its package, as the package's changelog, its file name and the
# AppStream metadata give them, and who maintains the package.
set(MIVORA_RELEASE_DATE 2026-12-08)
set(MIVORA_DEBIAN_REVISION 1)
set(MIVORA_MAINTAINER "Mivora developers <maintainers@mivora.org>"
    CACHE STRING "Maintainer of the Debian package, as \"Name <address>\"")

# mivora_version: an interface library whose users include "mivora_version.h".
# The header is brought up to date at every build, so the git description in
# --version follows commits without a new configure.
set(MIVORA_VERSION_HEADER "${PROJECT_BINARY_DIR}/generated/mivora_version.h")
add_custom_target(mivora_version_header
  COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}" "-DVERSION=${PROJECT_VERSION}"
          "-DOUTPUT=${MIVORA_VERSION_HEADER}" -P "${CMAKE_CURRENT_LIST_DIR}/version_header.cmake"
  BYPRODUCTS "${MIVORA_VERSION_HEADER}"
  VERBATIM)
add_library(mivora_version INTERFACE)
target_include_directories(mivora_version INTERFACE "${PROJECT_BINARY_DIR}/generated")
add_dependencies(mivora_version mivora_version_header)
