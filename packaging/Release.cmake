# The release of the production, made from the build tree:
#   make package        build/vorndle_<version>_<arch>.deb (CPack): the player in /usr/games, its
#                       data in /usr/share/games/vorndle/data, a desktop entry and icon, a manual
#                       page, the README, the copyright and changelog
#   make dist           build/vorndle-<version>-linux-<machine>.tar.gz: one folder with the player,
#                       its data and README.txt, runnable wherever it is unpacked
#   make video          build/vorndle-<version>-1080p60.mp4, the whole film for video sites
#   make video-preview  build/vorndle-<version>-360p30.mp4, the same small and quick
# Nothing here embeds a date or a path of the build machine.
set(VORNDLE_RELEASE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VORNDLE_RELEASE_OUT ${PROJECT_BINARY_DIR}/release)
set(VORNDLE_RUNTIME_PACKAGES_FILE ${VORNDLE_RELEASE_DIR}/runtime-packages.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VORNDLE_RUNTIME_PACKAGES_FILE}
    ${VORNDLE_RELEASE_DIR}/README.txt.in ${VORNDLE_RELEASE_DIR}/changelog.in)
file(STRINGS ${VORNDLE_RUNTIME_PACKAGES_FILE} VORNDLE_RUNTIME_PACKAGES REGEX "^[a-z0-9]")
list(JOIN VORNDLE_RUNTIME_PACKAGES " " VORNDLE_RUNTIME_PACKAGE_LINE)

# The player needs only the libraries whose symbols it uses (GTK's pkg-config line names a dozen
# more); its package depends on exactly those.
target_link_options(vorndle PRIVATE -Wl,--as-needed)

# Everything the player needs to run: the program and its whole data tree.
add_custom_target(vorndle_runnable DEPENDS vorndle vorndle_text_data vorndle_song vorndle_states
    vorndle_pictures vorndle_surfaces)

# The icon, drawn by texgen; the manual page, made from the player's --help; the changelog.
add_custom_command(OUTPUT ${VORNDLE_RELEASE_OUT}/vorndle.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNDLE_RELEASE_OUT}
    COMMAND texgen ${VORNDLE_RELEASE_OUT}/vorndle.png pastoral --size 256x256
    DEPENDS texgen
    COMMENT "Drawing the icon")
add_custom_command(OUTPUT ${VORNDLE_RELEASE_OUT}/vorndle.6.gz
    COMMAND ${CMAKE_COMMAND} -DPLAYER=$<TARGET_FILE:vorndle> -DVERSION=${PROJECT_VERSION}
        -DOUTPUT=${VORNDLE_RELEASE_OUT}/vorndle.6 -P ${VORNDLE_RELEASE_DIR}/manpage.cmake
    COMMAND gzip -9nf ${VORNDLE_RELEASE_OUT}/vorndle.6
    DEPENDS vorndle ${VORNDLE_RELEASE_DIR}/manpage.cmake
    COMMENT "Writing the manual page")
configure_file(${VORNDLE_RELEASE_DIR}/changelog.in ${VORNDLE_RELEASE_OUT}/changelog @ONLY)
add_custom_command(OUTPUT ${VORNDLE_RELEASE_OUT}/changelog.gz
    COMMAND gzip -9nc ${VORNDLE_RELEASE_OUT}/changelog > ${VORNDLE_RELEASE_OUT}/changelog.gz
    DEPENDS ${VORNDLE_RELEASE_OUT}/changelog)
configure_file(${VORNDLE_RELEASE_DIR}/README.txt.in ${VORNDLE_RELEASE_OUT}/README.txt @ONLY)
add_custom_target(vorndle_release_files ALL DEPENDS ${VORNDLE_RELEASE_OUT}/vorndle.png
    ${VORNDLE_RELEASE_OUT}/vorndle.6.gz ${VORNDLE_RELEASE_OUT}/changelog.gz)

# The installed layout (the package's). The player finds its data in ../share/games/vorndle.
install(TARGETS vorndle RUNTIME DESTINATION games COMPONENT vorndle)
install(DIRECTORY ${PROJECT_BINARY_DIR}/data/ DESTINATION share/games/vorndle/data COMPONENT vorndle)
install(FILES ${VORNDLE_RELEASE_DIR}/vorndle.desktop DESTINATION share/applications COMPONENT vorndle)
install(FILES ${VORNDLE_RELEASE_OUT}/vorndle.png DESTINATION share/icons/hicolor/256x256/apps COMPONENT vorndle)
install(FILES ${VORNDLE_RELEASE_OUT}/vorndle.6.gz DESTINATION share/man/man6 COMPONENT vorndle)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${VORNDLE_RELEASE_DIR}/copyright ${VORNDLE_RELEASE_OUT}/changelog.gz
    DESTINATION share/doc/vorndle COMPONENT vorndle)

# The archive's layout: everything in one folder, installed only on request (make dist).
install(TARGETS vorndle RUNTIME DESTINATION . COMPONENT dist EXCLUDE_FROM_ALL)
install(DIRECTORY ${PROJECT_BINARY_DIR}/data/ DESTINATION data COMPONENT dist EXCLUDE_FROM_ALL)
install(FILES ${VORNDLE_RELEASE_OUT}/README.txt DESTINATION . COMPONENT dist EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorndle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL vorndle)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "The Vorndle team <vorndle@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo: a day in a valley with a windmill")
# The extended description below the summary; CPack indents it, an empty line parts paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vorndle plays a two-minute film drawn in real time with OpenGL, in step
with its own music: a moonlit meadow at dawn, a windmill's day and dusk at a
farm. Every picture, model and note is made by the production's own tools.

The player can also render the film, or any part of it, into a video or into
pictures.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, fonts-dejavu-core")
# The data is mostly compressed pictures, music and meshes already: gzip packs it as small as xz, faster.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)

# The portable archive, from the archive's install component.
set(VORNDLE_DIST_NAME vorndle-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
add_custom_target(dist
    COMMAND ${CMAKE_COMMAND} -DBINARY_DIR=${PROJECT_BINARY_DIR} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
        -DNAME=${VORNDLE_DIST_NAME} -P ${VORNDLE_RELEASE_DIR}/dist.cmake
    DEPENDS vorndle_runnable vorndle_release_files
    COMMENT "Packing build/${VORNDLE_DIST_NAME}.tar.gz"
    VERBATIM)

# The film as a video, through the player's own offline render. VIDEO_FROM and VIDEO_TO in the
# environment (beats) render a part of it.
foreach(video "video;1920x1080;60;1080p60" "video-preview;640x360;30;360p30")
    list(GET video 0 target)
    list(GET video 1 size)
    list(GET video 2 fps)
    list(GET video 3 suffix)
    add_custom_target(${target}
        COMMAND sh ${VORNDLE_RELEASE_DIR}/render-video.sh $<TARGET_FILE:vorndle>
            ${PROJECT_BINARY_DIR}/vorndle-${PROJECT_VERSION}-${suffix}.mp4 ${size} ${fps}
        DEPENDS vorndle_runnable
        USES_TERMINAL
        VERBATIM)
endforeach()
