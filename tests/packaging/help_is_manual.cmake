# tavorin-calc --help says what its manual page says: the words of the help are the words
# of the page as groff sets it, with NAME's heading left out and SYNOPSIS as "Usage:".
# Filling, indents and blank lines may differ; a word may not.
#   cmake -DCOMMAND=<tavorin-calc> -DGROFF=<groff> -DPAGE=<man/tavorin-calc.1> -P help_is_manual.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${COMMAND} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "tavorin-calc --help exited with ${status}")
endif()
# One line per paragraph (no hyphenation at line ends), plain text.
execute_process(COMMAND ${GROFF} -k -man -Tutf8 -rLL=20000n -P-cbou ${PAGE}
                OUTPUT_VARIABLE manual RESULT_VARIABLE status ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff on ${PAGE}: status ${status}\n${warnings}")
endif()
string(STRIP "${manual}" manual)
# Without the running head and foot (string(REGEX REPLACE) would take ^ for the start of
# every match).
string(FIND "${manual}" "\n" head_end)
string(FIND "${manual}" "\n" foot_start REVERSE)
math(EXPR body_length "${foot_start} - ${head_end}")
string(SUBSTRING "${manual}" ${head_end} ${body_length} manual)
string(STRIP "${manual}" manual)
string(REGEX REPLACE "^NAME[ \n]+" "" manual "${manual}")
string(REPLACE "\nSYNOPSIS\n" "\nUsage: " manual "${manual}")

# The words of a text: groff's hyphen, minus and quote glyphs as ASCII, CMake's list
# characters out of the way.
function(words text out)
  string(REPLACE "‐" "-" text "${text}")
  string(REPLACE "−" "-" text "${text}")
  string(REPLACE "’" "'" text "${text}")
  string(REPLACE "‘" "`" text "${text}")
  string(REPLACE "\\" "<backslash>" text "${text}")
  string(REPLACE "[" "<bracket>" text "${text}")
  string(REPLACE "]" "<closing>" text "${text}")
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(STRIP "${text}" text)
  string(REGEX REPLACE "[ \t\r\n]+" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
words("${help}" help_words)
words("${manual}" manual_words)
if(help_words STREQUAL manual_words)
  list(LENGTH help_words n)
  message(STATUS "--help and ${PAGE}: the same ${n} words")
  return()
endif()

list(LENGTH help_words help_count)
list(LENGTH manual_words manual_count)
set(at 0)
while(at LESS help_count AND at LESS manual_count)
  list(GET help_words ${at} a)
  list(GET manual_words ${at} b)
  if(NOT a STREQUAL b)
    break()
  endif()
  math(EXPR at "${at} + 1")
endwhile()
foreach(side help manual)
  list(SUBLIST ${side}_words ${at} 12 rest)
  list(JOIN rest " " rest_${side})
endforeach()
message(FATAL_ERROR "--help and ${PAGE} part at word ${at}:\n"
                    "  --help: ${rest_help}\n  page:   ${rest_manual}")
