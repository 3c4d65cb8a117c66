# statetool: the state-file layout, its binary reader and writer and its text form live in a
# library that the tool, the tests and the fuzz target share.
add_library(statetool_core STATIC ${CMAKE_CURRENT_LIST_DIR}/StateLayout.cpp
            ${CMAKE_CURRENT_LIST_DIR}/StateBinary.cpp ${CMAKE_CURRENT_LIST_DIR}/StateText.cpp)
target_include_directories(statetool_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(statetool_core PUBLIC vorndle_engine PkgConfig::ZLIB)
target_compile_options(statetool_core PRIVATE ${VORNDLE_WARNINGS})

add_executable(statetool ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(statetool PRIVATE statetool_core)
vorndle_tool_version(statetool)
target_compile_options(statetool PRIVATE ${VORNDLE_WARNINGS})
