# The Debian package for the lab's machines: cmake --build build --target
# package writes build/tarnwick_<version>_amd64.deb.
#
# CPack's DEB generator rather than a debian/ folder with debhelper: it packs
# the build tree as it stands, with the text component already linked in
# statically from deps/, where dpkg-buildpackage would configure and compile
# everything once more in a tree of its own. What debhelper would add
# (dependencies from the binaries, stripping, md5sums, the compressed manual
# page, the changelog) is asked of CPack here and in PackageStage.cmake.

# Version, revision and maintainer come from packaging/changelog, as
# dpkg-parsechangelog would read them, so the package's name, its control
# file and its changelog cannot disagree.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_trailer REGEX "^ -- ")
list(GET changelog_trailer 0 changelog_trailer)
string(REGEX MATCH "^tarnwick \\(([^-]+)-([^)]+)\\)" version_found "${changelog_top}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog is at version ${CMAKE_MATCH_1}, "
                        "the project at ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
string(REGEX REPLACE "^ -- (.*>)  .*$" "\\1" CPACK_PACKAGE_CONTACT "${changelog_trailer}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "small editor that compiles and runs Java in a terminal
Tarnwick edits one Java source file at a time, byte for byte, and from the
same window compiles it with javac, runs it with java, runs any command
line or opens a shell, each in a terminal window of its own. A small
dialog changes the text's font and colours.")
# The shared libraries' packages as dpkg-shlibdeps finds them in the
# binaries. Qt loads its platform plugin at run time, where dpkg-shlibdeps
# cannot see it, and libqt6gui6 only recommends the plugins' package:
# without it the editor cannot open a window at all.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# The Run menu needs a JDK and a terminal, yet the editor opens, edits and
# saves without them and says so when a run command cannot start. Labs
# often put a JDK on PATH from outside the package manager, and any
# installed terminal is used: recommended, so that apt brings both by
# default and an administrator with another JDK may leave them out. The
# real package comes first, so apt installs it when no other provides the
# virtual one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "default-jdk-headless | java-sdk-headless, xterm | x-terminal-emulator")
# On a Wayland session Qt falls back to XWayland without its plugin.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS qt6-wayland)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The manual page compressed, the copyright file and changelog added, in
# the staging tree before it is packed.
set(CPACK_TARNWICK_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageStage.cmake)
include(CPack)
