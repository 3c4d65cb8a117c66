# Writes OUTPUT, the header that names the project's VERSION and the commit of SOURCE_DIR that the
# build is made from, with "-modified" when tracked files differ from it, and "unknown" when there
# is no git or no checkout. Runs on every build; the header is rewritten only when it changes, so
# only the one file that includes it is compiled again. Nothing in it depends on the date or on
# where the tree lies.
set(commit unknown)
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
    # A clone owned by another user (CI builds as root) is still read.
    execute_process(COMMAND ${GIT_EXECUTABLE} -c safe.directory=* -C ${SOURCE_DIR} rev-parse --short=12 HEAD
        OUTPUT_VARIABLE head OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND head)
        set(commit ${head})
        execute_process(COMMAND ${GIT_EXECUTABLE} -c safe.directory=* -C ${SOURCE_DIR} status --porcelain
                --untracked-files=no
            OUTPUT_VARIABLE changes RESULT_VARIABLE failed ERROR_QUIET)
        if(NOT failed AND changes)
            string(APPEND commit -modified)
        endif()
    endif()
endif()
set(text "#pragma once\n#define VORNDLE_VERSION \"${VERSION}\"\n#define VORNDLE_COMMIT \"${commit}\"\n")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
    file(WRITE ${OUTPUT} "${text}")
endif()
