# The port libraries of the run folder, and files that ship with them. The simulated port is
# drv/PORT.DLL, what the program loads when nothing else is chosen; every other library is
# drv/<name>/PORT.DLL with its default configuration (<name>.conf from its sources, when it has
# one) beside it.
#
# Each call stages its files in build/<preset>/stage/ and appends them, as paths inside the run
# folder, to the global property LUMIVEX_RUN_FOLDER_PORT_FILES, and its staging target to
# LUMIVEX_RUN_FOLDER_PORT_TARGETS. The install rules and the Windows zip take exactly these
# files, so what ships follows the sources, never what an earlier build left in the stage.
function(lumivex_run_folder_port_library target name)
    if(name STREQUAL "sim")
        set(folder drv)
    else()
        set(folder drv/${name})
    endif()
    set(files ${folder}/PORT.DLL)
    set(commands
        COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMIVEX_STAGE_DIR}/${folder}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}>
                ${LUMIVEX_STAGE_DIR}/${folder}/PORT.DLL)
    get_target_property(sources_folder ${target} SOURCE_DIR)
    set(configuration ${sources_folder}/${name}.conf)
    if(EXISTS ${configuration})
        list(APPEND files ${folder}/${name}.conf)
        list(APPEND commands
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${configuration}
                    ${LUMIVEX_STAGE_DIR}/${folder}/${name}.conf)
    endif()
    add_custom_target(stage_${name}_port ALL ${commands} DEPENDS ${target})
    set_property(GLOBAL APPEND PROPERTY LUMIVEX_RUN_FOLDER_PORT_FILES ${files})
    set_property(GLOBAL APPEND PROPERTY LUMIVEX_RUN_FOLDER_PORT_TARGETS stage_${name}_port)
endfunction()

# Stages every file of `folder` (in the sources) at the same place in the run folder, to ship
# with the port library `name` as its own files do.
function(lumivex_run_folder_source_files name folder)
    file(GLOB files RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/${folder}/*)
    list(TRANSFORM files PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
    add_custom_target(stage_${name}_files ALL
        COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMIVEX_STAGE_DIR}/${folder}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${sources} ${LUMIVEX_STAGE_DIR}/${folder})
    set_property(GLOBAL APPEND PROPERTY LUMIVEX_RUN_FOLDER_PORT_FILES ${files})
    set_property(GLOBAL APPEND PROPERTY LUMIVEX_RUN_FOLDER_PORT_TARGETS stage_${name}_files)
endfunction()
