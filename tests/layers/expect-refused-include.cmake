# Builds one probe target and passes only when the build fails on the probe's include, the
# header not found: cmake -DBUILD=dir -DTARGET=probe -DHEADER=folder/Name.h -P this-file
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target ${TARGET}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
    message(FATAL_ERROR "${TARGET} built: ${HEADER} is reachable from a layer that must not see it")
endif()
string(FIND "${output}" "${HEADER}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "${TARGET} failed, but not on ${HEADER}:\n${output}")
endif()
