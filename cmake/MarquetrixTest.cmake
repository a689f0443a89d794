# marquetrix_add_test(<name> [SCRIPT]
#     [SOURCES <file>...] [LIBRARIES <target>...] [DEFINITIONS <name=value>...]
#     [DEPENDS <target>...] [TEST_NAME <test>] [COMMAND <command>...]
#     [LABELS <label>...] [TIMEOUT <seconds>] [ENVIRONMENT <VAR=value>...])
#
# The test executable <name>, built from <name>.cpp and SOURCES with Qt Test, LIBRARIES,
# the compile DEFINITIONS and our warnings, after the targets in DEPENDS (programs it
# starts). The ctest test TEST_NAME (default <name>) runs it, or COMMAND when the test
# needs a wrapper around it. With SCRIPT nothing is built and the test runs COMMAND.
# Tests labelled `window` put windows on the session's one X screen; they take turns, since
# pointer input and screen grabs need their window on top, while the others run beside them.
# Their turns are the longest chain of the run, so they start first.
function(marquetrix_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "SCRIPT" "TEST_NAME;TIMEOUT"
        "SOURCES;LIBRARIES;DEFINITIONS;DEPENDS;COMMAND;LABELS;ENVIRONMENT")
    if(arg_UNPARSED_ARGUMENTS OR (arg_SCRIPT AND NOT arg_COMMAND))
        message(FATAL_ERROR "marquetrix_add_test(${name}): SCRIPT needs a COMMAND; "
            "unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT arg_TEST_NAME)
        set(arg_TEST_NAME ${name})
    endif()
    if(NOT arg_COMMAND)
        set(arg_COMMAND ${name})
    endif()

    if(NOT arg_SCRIPT)
        qt_add_executable(${name} ${name}.cpp ${arg_SOURCES})
        target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} Qt6::Test)
        target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
        if(arg_DEPENDS)
            add_dependencies(${name} ${arg_DEPENDS})
        endif()
        marquetrix_warnings(${name})
    endif()

    add_test(NAME ${arg_TEST_NAME} COMMAND ${arg_COMMAND})
    if(arg_LABELS)
        set_tests_properties(${arg_TEST_NAME} PROPERTIES LABELS "${arg_LABELS}")
    endif()
    if("window" IN_LIST arg_LABELS)
        set_tests_properties(${arg_TEST_NAME} PROPERTIES RESOURCE_LOCK x-screen COST 1000)
    endif()
    if(arg_TIMEOUT)
        set_tests_properties(${arg_TEST_NAME} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    endif()
    if(arg_ENVIRONMENT)
        set_tests_properties(${arg_TEST_NAME} PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
    endif()
endfunction()
