# statetool: the state file's binary reader and writer and its text form live in a library that the
# tool, the tests and the fuzz target share. The layout they follow is the production's own table
# (production/VorndleStateLayout), the one the parts read their state files by.
add_library(statetool_core STATIC ${CMAKE_CURRENT_LIST_DIR}/StateBinary.cpp
            ${CMAKE_CURRENT_LIST_DIR}/StateText.cpp ${CMAKE_CURRENT_LIST_DIR}/ReadFailure.cpp)
target_include_directories(statetool_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(statetool_core PUBLIC vorndle_engine vorndle_state_layout PkgConfig::ZLIB)
target_compile_options(statetool_core PRIVATE ${VORNDLE_WARNINGS})

add_executable(statetool ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(statetool PRIVATE statetool_core)
vorndle_tool_version(statetool)
target_compile_options(statetool PRIVATE ${VORNDLE_WARNINGS})
