# cmake -DKORVEX=path/to/korvex -DHELP2MAN=help2man -DINCLUDE=korvex.h2m -DOUTPUT=korvex.1 -P ManPage.cmake
# Writes the Spanish manual page of korvex from "korvex --help" and "korvex --version", then its
# gzip -9n copy OUTPUT.gz. help2man titles its sections in the build machine's language; they are
# set in Spanish here so the page does not depend on which locales the machine has.
set(ENV{LC_ALL} C.UTF-8)
execute_process(
    # Texts with accents come from the include file: help2man would encode its arguments twice.
    COMMAND ${HELP2MAN} --no-info --locale=C.UTF-8 --section=1 "--manual=Manual de Korvex"
        --include=${INCLUDE} ${KORVEX}
    OUTPUT_VARIABLE page RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "help2man falló con ${KORVEX}")
endif()
foreach(pair "NAME;NOMBRE" "SYNOPSIS;SINOPSIS" "DESCRIPTION;DESCRIPCIÓN" "OPTIONS;OPCIONES"
             "AUTHOR;AUTOR" "REPORTING BUGS;INFORMAR DE ERRORES" "SEE ALSO;VÉASE TAMBIÉN")
    list(GET pair 0 english)
    list(GET pair 1 spanish)
    string(REPLACE ".SH ${english}\n" ".SH ${spanish}\n" page "${page}")
    string(REPLACE ".SH \"${english}\"\n" ".SH \"${spanish}\"\n" page "${page}")
endforeach()
# The date of the title line, "December 2026", in Spanish.
set(months January February March April May June July August September October November December)
set(meses enero febrero marzo abril mayo junio julio agosto septiembre octubre noviembre diciembre)
list(LENGTH months count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
    list(GET months ${i} month)
    list(GET meses ${i} mes)
    string(REGEX REPLACE "(\n\\.TH [^\n]*\")${month} ([0-9]+\")" "\\1${mes} de \\2" page "${page}")
endforeach()
file(WRITE "${OUTPUT}" "${page}")
execute_process(COMMAND gzip -9 -n -c "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip falló con ${OUTPUT}")
endif()
