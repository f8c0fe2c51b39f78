# Writes a manual page from a program's own --help, so the page says what the program says.
# cmake -DPROGRAM=path -DNAME=veld-cli -DSUMMARY="..." -DVERSION=9.1 -DOUTPUT=veld-cli.1
#       [-DCOMMANDS=ON] -P ManPage.cmake
# With COMMANDS, each command the help lists ("usage: NAME [options] COMMAND ...") gets a section
# with the text of "NAME COMMAND --help".

# No display is needed: the window program answers --help without one.
function(run_help out)
    execute_process(COMMAND "${PROGRAM}" ${ARGN} --help
        OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR text STREQUAL "")
        message(FATAL_ERROR "${NAME} ${ARGN} --help failed (${status}): ${errors}")
    endif()
    string(REGEX REPLACE "\n+$" "" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff would print it: backslashes and minus signs literal, no line read as a request.
function(roff out text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(preformatted out text)
    roff(text "${text}")
    set(${out} ".nf\n${text}\n.fi\n" PARENT_SCOPE)
endfunction()

run_help(help)
# The usage comes first ("usage: veld-cli ...", "Použití: path/veld-konf ..."), wrapped onto
# lines indented below its arguments: the synopsis names the program, not the path it was run
# from.
string(REGEX MATCH "^[^\n]*(\n       +[^ \n][^\n]*)*" usage "${help}")
string(LENGTH "${usage}" usage_length)
string(SUBSTRING "${help}" ${usage_length} -1 description)
string(REGEX REPLACE "^\n+" "" description "${description}")
string(REGEX REPLACE "^[^:]*: *[^ ]+ *" "" synopsis "${usage}")
string(REGEX REPLACE "[ \n]+" " " synopsis "${synopsis}")

string(TOUPPER "${NAME}" title)
roff(summary "${SUMMARY}")
roff(synopsis "${synopsis}")
preformatted(description "${description}")
string(CONCAT page ".TH ${title} 1 \"\" \"veld ${VERSION}\"\n.SH NAME\n${NAME} \\- ${summary}\n"
    ".SH SYNOPSIS\n.B ${NAME}\n${synopsis}\n.SH DESCRIPTION\n${description}")

if(COMMANDS)
    string(REGEX MATCHALL "\n *usage: ${NAME} [^\n]*" usages "${help}")
    if(NOT usages)
        message(FATAL_ERROR "${NAME} --help lists no command")
    endif()
    string(APPEND page ".SH COMMANDS\n")
    foreach(line IN LISTS usages)
        # The command is the first word after the bracketed global options.
        string(REGEX REPLACE "^\n *usage: ${NAME}( \\[[^]]*\\])* ([a-z]+).*" "\\2" command "${line}")
        run_help(text ${command})
        preformatted(text "${text}")
        string(APPEND page ".SS ${command}\n${text}")
    endforeach()
endif()

file(WRITE "${OUTPUT}" "${page}")
