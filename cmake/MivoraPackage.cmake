# The Debian package, made by `cpack` in the build folder (scripts/package.sh):
# build/mivora_<version>-<revision>_<arch>.deb with what `cmake --install` puts under /usr.
# The libraries it links (Qt 6 among them) become dependencies through
# dpkg-shlibdeps; the programs it starts and the fonts its window needs are
# named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mivora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${MIVORA_DEBIAN_REVISION})
set(CPACK_PACKAGE_VENDOR "Mivora developers")
set(CPACK_PACKAGE_CONTACT "${MIVORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn source videos or still images into short vertical videos")
set(CPACK_PACKAGE_DESCRIPTION
    "Mivora cuts a few source videos or still images into short vertical videos
(720x1280, 9:16, H.264, 30 fps) without manual editing, with effects, intro
and outro clips, overlays and background music. The window is mivora;
mivora-cli runs the same jobs from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, fonts-noto-cjk")
include(CPack)
