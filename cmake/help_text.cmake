# Writes the text of tavorin-calc --help from its manual page: the sections SECTIONS of PAGE
# in that order, as groff sets them in plain UTF-8 text, with the heading SYNOPSIS given as
# "Usage: " before its first line, and a last line that points to the page.
#   cmake -DGROFF=<groff> -DPAGE=<man/tavorin-calc.1> "-DSECTIONS=SYNOPSIS;OPTIONS"
#         -DOUTPUT=<text file> -P help_text.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var GROFF PAGE SECTIONS OUTPUT)
  if(NOT ${var})
    message(FATAL_ERROR "help_text.cmake: ${var} is not set")
  endif()
endforeach()
file(READ ${PAGE} page)

# The source of section `heading`: from its .SH line up to the next one.
function(section heading out)
  string(FIND "${page}" "\n.SH ${heading}\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${PAGE} has no section ${heading}")
  endif()
  math(EXPR start "${start} + 1")
  string(SUBSTRING "${page}" ${start} -1 rest)
  string(FIND "${rest}" "\n.SH " end)
  if(NOT end EQUAL -1)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${rest}" 0 ${end} rest)
  endif()
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

string(REGEX MATCH "^[^\n]*\n" title "${page}")
if(NOT title MATCHES "^\\.TH ")
  message(FATAL_ERROR "${PAGE} does not begin with .TH")
endif()
# Left aligned and unhyphenated: a help is read on a terminal and searched for words.
set(source "${title}.ad l\n.nh\n")
foreach(heading ${SECTIONS})
  section(${heading} text)
  string(APPEND source "${text}")
endforeach()
file(WRITE ${OUTPUT}.roff "${source}")
execute_process(COMMAND ${GROFF} -k -Kutf-8 -man -Tutf8 -rLL=78n -rHY=0 -P-cbou ${OUTPUT}.roff
                OUTPUT_VARIABLE text RESULT_VARIABLE status ERROR_VARIABLE warnings)
file(REMOVE ${OUTPUT}.roff)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff on the help sections of ${PAGE}: status ${status}\n${warnings}")
endif()

# Without the running head and foot.
string(STRIP "${text}" text)
string(FIND "${text}" "\n" head_end)
string(FIND "${text}" "\n" foot_start REVERSE)
math(EXPR body_length "${foot_start} - ${head_end}")
string(SUBSTRING "${text}" ${head_end} ${body_length} text)
string(STRIP "${text}" text)
string(REGEX REPLACE "(^|\n)SYNOPSIS\n       " "\\1Usage: " text "${text}")
file(WRITE ${OUTPUT}.new "${text}\n\nThe rest is in the manual page: man tavorin-calc\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
