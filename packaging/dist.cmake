# Packs BINARY_DIR/NAME.tar.gz: the archive's install component (the stripped player, data/ and
# README.txt) in one folder NAME. The entries are sorted, owned by root and dated by the commit
# (0 without git), so the archive depends only on the files in it.
set(stage ${BINARY_DIR}/release/dist)
file(REMOVE_RECURSE ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --component dist --strip --prefix ${stage}/${NAME}
    RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
    message(FATAL_ERROR "installing the archive's files into ${stage} failed")
endif()

set(epoch 0)
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
    execute_process(COMMAND ${GIT_EXECUTABLE} -c safe.directory=* -C ${SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND commit_time MATCHES "^[0-9]+$")
        set(epoch ${commit_time})
    endif()
endif()

set(archive ${BINARY_DIR}/${NAME}.tar.gz)
execute_process(
    COMMAND tar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@${epoch} --mode=go-w,a+rX
        -C ${stage} -cf - ${NAME}
    COMMAND gzip -9n
    OUTPUT_FILE ${archive}.part
    RESULTS_VARIABLE results)
if(NOT results STREQUAL "0;0")
    file(REMOVE ${archive}.part)
    message(FATAL_ERROR "packing ${archive} failed (${results})")
endif()
file(RENAME ${archive}.part ${archive})
file(SIZE ${archive} size)
math(EXPR kib "${size} / 1024")
message(STATUS "${archive}: ${kib} KiB")
