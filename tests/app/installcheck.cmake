# Installs the build into a scratch prefix and checks what a desktop needs from it: the two
# programs, the desktop entry and the AppStream metainfo (both validated), and the icons.
# Arguments: -DBUILD_DIR=... -DSCRATCH=...
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${SCRATCH}
    RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(path
        bin/marquetrix
        bin/marquetrix-resolver
        share/applications/org.marquetrix.Marquetrix.desktop
        share/metainfo/org.marquetrix.Marquetrix.metainfo.xml
        share/icons/hicolor/scalable/apps/org.marquetrix.Marquetrix.svg
        share/icons/hicolor/48x48/apps/org.marquetrix.Marquetrix.png
        share/icons/hicolor/256x256/apps/org.marquetrix.Marquetrix.png)
    if(NOT EXISTS ${SCRATCH}/${path})
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
execute_process(COMMAND desktop-file-validate
        ${SCRATCH}/share/applications/org.marquetrix.Marquetrix.desktop
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
execute_process(COMMAND appstreamcli validate --no-net
        ${SCRATCH}/share/metainfo/org.marquetrix.Marquetrix.metainfo.xml
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: ${out}")
endif()
# The installed program answers on its own, without a display.
set(headless ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY)
execute_process(COMMAND ${headless} ${SCRATCH}/bin/marquetrix --version
    RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Marquetrix [0-9]+\\.[0-9]+\\.[0-9]+\n$")
    message(FATAL_ERROR "marquetrix --version: ${status} ${out}")
endif()
execute_process(COMMAND ${headless} ${SCRATCH}/bin/marquetrix a.mp4 --help
    RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: marquetrix \\[options\\] \\[FILE\\|URL...\\].*--fullscreen")
    message(FATAL_ERROR "marquetrix a.mp4 --help: ${status} ${out}")
endif()
execute_process(COMMAND ${headless} ${SCRATCH}/bin/marquetrix --frobnicate
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT out STREQUAL "" OR err STREQUAL "")
    message(FATAL_ERROR "marquetrix --frobnicate: ${status} ${out}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
