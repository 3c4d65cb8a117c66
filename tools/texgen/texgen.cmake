# texgen: the patterns and pictures live in a library that the tool and the tests share.
add_library(texgen_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Patterns.cpp ${CMAKE_CURRENT_LIST_DIR}/Picture.cpp ${CMAKE_CURRENT_LIST_DIR}/Noise.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Materials.cpp ${CMAKE_CURRENT_LIST_DIR}/NatureMaterials.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BuiltMaterials.cpp)
target_include_directories(texgen_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(texgen_core PUBLIC vorndle_engine)
target_compile_options(texgen_core PRIVATE ${VORNDLE_WARNINGS})

add_executable(texgen ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(texgen PRIVATE texgen_core PkgConfig::PNG PkgConfig::JPEG)
vorndle_tool_version(texgen)
target_compile_options(texgen PRIVATE ${VORNDLE_WARNINGS})
