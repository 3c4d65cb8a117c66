# vorndle_copy_data(LIST FROM TO): every file under the folder FROM is copied to the same place
# under TO by a build rule of its own (a saved file is copied again, alone), and the copies are
# appended to the variable LIST, for the target that assembles a runnable data tree.
function(vorndle_copy_data list from to)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${from} ${from}/*)
    set(copies ${${list}})
    foreach(rel ${files})
        add_custom_command(OUTPUT ${to}/${rel}
            COMMAND ${CMAKE_COMMAND} -E copy ${from}/${rel} ${to}/${rel}
            DEPENDS ${from}/${rel})
        list(APPEND copies ${to}/${rel})
    endforeach()
    set(${list} ${copies} PARENT_SCOPE)
endfunction()
