# `make package`: the Debian package of what `cmake --install` lays down, under /usr. Its
# dependencies are the shared libraries dpkg-shlibdeps finds and the packages loaded by name
# at run time, listed once in scripts/runtime-packages (which install-deps installs too).

install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/marquetrix)
# Debian keeps changelogs compressed, and byte-identical from one build to the next (-n).
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    COMMAND gzip -n -9 -c ${PROJECT_SOURCE_DIR}/data/changelog > changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/data/changelog
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_custom_target(marquetrix_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/marquetrix)

file(STRINGS ${PROJECT_SOURCE_DIR}/scripts/runtime-packages lines REGEX "^[a-z0-9]")
set(depends "")
set(recommends "")
foreach(line IN LISTS lines)
    if(line MATCHES "^([^ ]+) recommends$")
        list(APPEND recommends ${CMAKE_MATCH_1})
    else()
        list(APPEND depends ${line})
    endif()
endforeach()
list(JOIN depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
list(JOIN recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marquetrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://marquetrix.org/)
set(CPACK_PACKAGE_CONTACT "The Marquetrix developers <developers@marquetrix.org>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "multi-video player that lays its videos out automatically
 Marquetrix plays several videos at the same time in one window and arranges
 them automatically, using the screen well or keeping the videos' sizes
 uniform. It opens local files, files on web servers, HLS playlists, RTSP
 streams and the videos of web pages; every video has its own controls.")
include(CPack)
