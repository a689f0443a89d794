# marquetrix_add_qml_module(<target> URI <uri>
#     [SOURCES <file>...] [QML_FILES <file>...] [RESOURCES <file>...] [DEPENDENCIES <uri>...])
#
# A static library that is also the QML module <uri>, with its plugin <target>plugin.
# Every QML file is compiled ahead of time and sits at the module's root whatever folder
# it lives in (qml/Main.qml is Main.qml). The C++ Qt's tools generate for the module
# (qmlcachegen's compiled QML and its loader, the type registrations) is not ours: it gets
# no warnings, while our own sources get marquetrix_warnings().
function(marquetrix_add_qml_module target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "URI" "SOURCES;QML_FILES;RESOURCES;DEPENDENCIES")
    if(NOT arg_URI OR arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "marquetrix_add_qml_module(${target}): needs URI; "
            "unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()

    foreach(file IN LISTS arg_QML_FILES)
        get_filename_component(name ${file} NAME)
        set_source_files_properties(${file} PROPERTIES QT_RESOURCE_ALIAS ${name})
    endforeach()
    string(REPLACE "." "/" module_path ${arg_URI})

    qt_add_library(${target} STATIC)
    qt_add_qml_module(${target}
        URI ${arg_URI}
        VERSION 1.0
        OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/qml/${module_path}
        # Qt 6.4 looks for modules in resources only under this prefix by default.
        RESOURCE_PREFIX /qt-project.org/imports
        SOURCES ${arg_SOURCES}
        QML_FILES ${arg_QML_FILES}
        RESOURCES ${arg_RESOURCES}
        DEPENDENCIES ${arg_DEPENDENCIES}
    )
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    marquetrix_warnings(${target})

    # Qt 6.4 writes the generated C++ into this directory's build folder and lists it in
    # the target's sources (the compiled QML as .rcc/qmlcache/<target>_<path>_qml.cpp, the
    # type registrations as <target>_qmltyperegistrations.cpp), and qmlcachegen's loader
    # (.rcc/qmlcache/<target>_qmlcache_loader.cpp) in the object library <target>_qmlcache.
    set(generated)
    foreach(generator IN ITEMS ${target} ${target}_qmlcache)
        if(TARGET ${generator})
            get_target_property(sources ${generator} SOURCES)
            foreach(source IN LISTS sources)
                cmake_path(IS_PREFIX CMAKE_CURRENT_BINARY_DIR "${source}" NORMALIZE is_generated)
                if(is_generated)
                    list(APPEND generated ${source})
                endif()
            endforeach()
        endif()
    endforeach()
    set_source_files_properties(${generated} PROPERTIES COMPILE_OPTIONS -w)
endfunction()
