# The program is built in layers, one folder and one library each, and a
# folder may use only the folders below it. ornavex_layer makes a folder's
# library, links it to the layers it uses, and refuses at configure time any
# source that includes from a folder it may not use: a back edge breaks the
# build.
#
#   ornavex_layer(FOLDER NAME [QT] USES layer... SOURCES file...)
function(ornavex_layer folder)
    cmake_parse_arguments(LAYER "QT" "" "USES;SOURCES" ${ARGN})
    set(target ornavex_${folder})
    add_library(${target} STATIC ${LAYER_SOURCES})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    foreach(used ${LAYER_USES})
        target_link_libraries(${target} PUBLIC ornavex_${used})
    endforeach()
    if(LAYER_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PUBLIC Qt6::Widgets)
    endif()

    # Every layer below the used ones may be included too.
    set(allowed ${folder})
    set(pending ${LAYER_USES})
    while(pending)
        list(POP_FRONT pending used)
        if(NOT used IN_LIST allowed)
            list(APPEND allowed ${used})
            get_property(below GLOBAL PROPERTY ORNAVEX_USES_${used})
            list(APPEND pending ${below})
        endif()
    endwhile()
    set_property(GLOBAL PROPERTY ORNAVEX_USES_${folder} ${LAYER_USES})

    file(GLOB sources ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^#include \"[a-z_]+/")
        foreach(line ${includes})
            string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" included "${line}")
            if(NOT included IN_LIST allowed)
                message(FATAL_ERROR "${source} includes from ${included}/, which ${folder}/ "
                                    "may not use (it uses: ${allowed})")
            endif()
        endforeach()
    endforeach()
endfunction()
