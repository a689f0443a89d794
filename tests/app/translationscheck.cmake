# Each translations/*.ts holds every text of the sources, translated: lupdate run on a copy
# changes nothing, and no message is left unfinished.
# Arguments: -DLUPDATE=... -DPROJECT=<lupdate project .cmake> -DGENERATOR=<its .json writer>
#     -DOPTIONS=<lupdate options> -DTS_DIR=... -DSCRATCH=...
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} -DIN_FILE=${PROJECT} -DOUT_FILE=${SCRATCH}/project.json
    -P ${GENERATOR} COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "," ";" OPTIONS "${OPTIONS}")
file(GLOB translations ${TS_DIR}/*.ts)
foreach(ts IN LISTS translations)
    get_filename_component(name ${ts} NAME)
    file(COPY ${ts} DESTINATION ${SCRATCH})
    execute_process(COMMAND ${LUPDATE} -project ${SCRATCH}/project.json ${OPTIONS}
        -ts ${SCRATCH}/${name} OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${ts} committed)
    file(READ ${SCRATCH}/${name} current)
    if(NOT committed STREQUAL current)
        message(SEND_ERROR "${name} is behind the sources: make translations, then translate")
    endif()
    string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\""
        unfinished "${current}")
    if(unfinished)
        message(SEND_ERROR "${name} leaves these unfinished: ${unfinished}")
    endif()
endforeach()
if(NOT translations)
    message(FATAL_ERROR "no translations in ${TS_DIR}")
endif()
