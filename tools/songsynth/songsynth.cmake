# songsynth: the score compiler, renderer and master stage live in a library that the tool, the
# tests and the score parser's fuzz target share.
file(GLOB SONGSYNTH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(REMOVE_ITEM SONGSYNTH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
add_library(songsynth_core STATIC ${SONGSYNTH_SOURCES})
target_include_directories(songsynth_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(songsynth_core PUBLIC PkgConfig::FLUIDSYNTH PkgConfig::SNDFILE PkgConfig::PNG Threads::Threads)
# The meters and the limiter run over millions of samples per pass: let their loops vectorise.
target_compile_options(songsynth_core PRIVATE ${VORNDLE_WARNINGS} -O3)

add_executable(songsynth ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(songsynth PRIVATE songsynth_core)
vorndle_tool_version(songsynth)
target_compile_options(songsynth PRIVATE ${VORNDLE_WARNINGS})
