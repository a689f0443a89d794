# Builds the Debian package from the build and inspects it as a user's system would take it,
# without installing it: the programs and desktop files are in it, it depends on the packages
# the program loads by name as well as on the libraries it links, and lintian finds no error.
# Arguments: -DBUILD_DIR=... -DSCRATCH=... -DRUNTIME_PACKAGES=...
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND cpack --config ${BUILD_DIR}/CPackConfig.cmake -B ${SCRATCH}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB package ${SCRATCH}/marquetrix_*_amd64.deb)
if(NOT status EQUAL 0 OR NOT package)
    message(FATAL_ERROR "cpack: ${status} ${out}")
endif()

execute_process(COMMAND dpkg-deb --contents ${package} OUTPUT_VARIABLE contents)
foreach(path
        ./usr/bin/marquetrix
        ./usr/bin/marquetrix-resolver
        ./usr/share/applications/org.marquetrix.Marquetrix.desktop
        ./usr/share/metainfo/org.marquetrix.Marquetrix.metainfo.xml
        ./usr/share/icons/hicolor/scalable/apps/org.marquetrix.Marquetrix.svg
        ./usr/share/doc/marquetrix/copyright
        ./usr/share/doc/marquetrix/changelog.gz)
    string(FIND "${contents}" " ${path}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "not in the package: ${path}\n${contents}")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb --field ${package} Depends OUTPUT_VARIABLE depends)
file(STRINGS ${RUNTIME_PACKAGES} wanted REGEX "^[a-z0-9][^ ]*$")
# Two libraries found by dpkg-shlibdeps, from the program and from the engine.
list(APPEND wanted libqt6quick6 libvlc5)
foreach(name IN LISTS wanted)
    if(NOT depends MATCHES "(^|, )${name}( |,|\n|$)")
        message(FATAL_ERROR "Depends lacks ${name}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND lintian --fail-on error ${package}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lintian: ${out}")
endif()
message(STATUS "${package}\nDepends: ${depends}${out}")
file(REMOVE_RECURSE ${SCRATCH})
