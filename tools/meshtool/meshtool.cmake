# meshtool: the geometry, OBJ import and procedural models live in a library that the tool and the
# tests share; every source beside main.cpp belongs to it.
file(GLOB MESHTOOL_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(REMOVE_ITEM MESHTOOL_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
add_library(meshtool_core STATIC ${MESHTOOL_CORE_SOURCES})
target_include_directories(meshtool_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(meshtool_core PUBLIC vorndle_engine)
target_compile_options(meshtool_core PRIVATE ${VORNDLE_WARNINGS})

add_executable(meshtool ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(meshtool PRIVATE meshtool_core)
vorndle_tool_version(meshtool)
target_compile_options(meshtool PRIVATE ${VORNDLE_WARNINGS})
