# Writes OUTPUT, the player's manual page (section 6), from PLAYER --help: every "  --option VALUE"
# line becomes an entry, the indented lines under it continue its text. The page carries VERSION
# and no date, so that it is the same from every build of a commit.

# A sanitizer build's player must not fail the build over what its runtime finds at exit.
execute_process(COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${PLAYER} --help
    OUTPUT_VARIABLE help RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${PLAYER} --help failed (${failed})")
endif()

# roff: backslashes and minus signs escaped, a leading dot or quote kept from being a request.
function(roff_text text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
    string(REPLACE "@SEMICOLON@" [[;]] text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(options "")
# Semicolons would split CMake's list of lines: they travel as a placeholder.
string(REPLACE ";" "@SEMICOLON@" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(in_options FALSE)
foreach(line IN LISTS lines)
    if(line STREQUAL "Options:")
        set(in_options TRUE)
    elseif(in_options AND line MATCHES "^  -")
        # The help text's descriptions start in column 21.
        string(SUBSTRING "${line}" 0 21 option)
        string(STRIP "${option}" option)
        string(SUBSTRING "${line}" 21 -1 text)
        roff_text("${text}" text)
        # The option in bold, its value in italics.
        string(REGEX REPLACE "^([^ ]+)" "\\\\fB\\1\\\\fR" option "${option}")
        string(REGEX REPLACE " ([^ ]+)$" " \\\\fI\\1\\\\fR" option "${option}")
        string(REPLACE "-" "\\-" option "${option}")
        string(APPEND options ".TP\n${option}\n${text}\n")
    elseif(in_options AND line MATCHES "^      +(.*)$")
        roff_text("${CMAKE_MATCH_1}" text)
        string(APPEND options "${text}\n")
    endif()
endforeach()
if(options STREQUAL "")
    message(FATAL_ERROR "${PLAYER} --help lists no options")
endif()

file(WRITE ${OUTPUT} ".TH VORNDLE 6 \"\" \"vorndle ${VERSION}\" \"Games\"
.SH NAME
vorndle \\- real-time demo: a day in a valley with a windmill
.SH SYNOPSIS
.B vorndle
[\\fIoptions\\fR]
.SH DESCRIPTION
\\fBvorndle\\fR plays a two-minute film drawn in real time with OpenGL, in step with its own
music: a moonlit meadow at dawn, a windmill's day and dusk at a farm.
A settings dialog offers the screen mode first; \\(lqRun\\(rq starts the film, which ends by itself.
.PP
Instead of playing, the program can render the film, or a part of it, frame by frame into
pictures or into a video (with \\fBffmpeg\\fR), and single beats into pictures.
.SH OPTIONS
${options}.SH KEYS
.TP
.B Escape
ends the film, as closing the window does.
.SH FILES
.TP
.I /usr/share/games/vorndle/data/
the film's description, scenes, shaders, pictures, models and music.
.SH EXIT STATUS
0 when the film ends or its data cannot be loaded (a message says why), 1 when a render or a
start beat cannot be made, 2 for a command line that cannot be read.
")
