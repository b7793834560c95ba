# A quoted include that climbs out of its folder ("../x/Y.h") would reach a header past the
# published ones; none may: cmake -DSOURCE=src-dir -P this-file
file(GLOB_RECURSE sources ${SOURCE}/*.h ${SOURCE}/*.cpp ${SOURCE}/*.inc)
set(found "")
foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
    foreach(line IN LISTS lines)
        string(APPEND found "${source}: ${line}\n")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "includes that climb out of their folder:\n${found}")
endif()
