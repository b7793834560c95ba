# tesmaro_publish_headers(target folder)
#   The library publishes the headers among its sources alone, reached as "folder/Name.h": its
#   include root holds links to those headers and nothing else (no sibling or sub-folder), so a
#   target sees no header of a layer it does not link, and an include that runs up or sideways
#   fails to compile. The library's own sources reach its headers the same way.
function(tesmaro_publish_headers target folder)
    set(root ${PROJECT_BINARY_DIR}/published/${target})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    get_target_property(sources ${target} SOURCES)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.h$")
            get_filename_component(name ${source} NAME)
            file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${root}/${folder}/${name} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
