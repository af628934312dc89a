# The program is built in layers, one folder and one library each, and a
# folder may use only the folders below it. The layer table,
# cmake/layers.txt, is the one place that says which folder uses which:
# ornavex_layer makes a folder's library and links it to the layers its row
# names, and the LayerCheck test (tests/layer_check.sh) holds every include
# of the sources to the same table. The check also runs here, at configure
# time, so a back edge stops the build before it compiles.
#
#   ornavex_layer(FOLDER [QT] SOURCES file...)
set(ornavex_layer_table ${CMAKE_SOURCE_DIR}/cmake/layers.txt)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ornavex_layer_table})
file(STRINGS ${ornavex_layer_table} ornavex_layer_rows REGEX "^[a-z]")
foreach(row ${ornavex_layer_rows})
    string(REGEX MATCHALL "[a-z_]+" words "${row}")
    list(POP_FRONT words folder)
    set_property(GLOBAL PROPERTY ORNAVEX_LAYER_${folder} "${words}")
    list(APPEND ornavex_layers ${folder})
endforeach()

if(CMAKE_HOST_UNIX)
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tests/layer_check.sh ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE layer_check_output RESULT_VARIABLE layer_check_result)
    if(NOT layer_check_result EQUAL 0)
        message(FATAL_ERROR "${layer_check_output}")
    endif()
endif()

function(ornavex_layer folder)
    cmake_parse_arguments(LAYER "QT" "" "SOURCES" ${ARGN})
    if(NOT folder IN_LIST ornavex_layers)
        message(FATAL_ERROR "${folder}/ has no row in cmake/layers.txt")
    endif()
    set(target ornavex_${folder})
    add_library(${target} STATIC ${LAYER_SOURCES})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ornavex_flags)
    get_property(uses GLOBAL PROPERTY ORNAVEX_LAYER_${folder})
    foreach(used ${uses})
        target_link_libraries(${target} PUBLIC ornavex_${used})
    endforeach()
    if(LAYER_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PUBLIC Qt6::Widgets)
    endif()
endfunction()
