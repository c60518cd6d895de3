# Writes a C++ header that holds a text file as a string literal:
#   cmake -DINPUT=<file> -DOUTPUT=<header> -DNAME=<variable> -P embed_text.cmake
# gives `inline constexpr std::string_view <variable> = R"…";` with the file's bytes.
cmake_minimum_required(VERSION 3.25)
foreach(var INPUT OUTPUT NAME)
  if(NOT ${var})
    message(FATAL_ERROR "embed_text.cmake: ${var} is not set")
  endif()
endforeach()
file(READ ${INPUT} text)
set(delimiter "text")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds )${delimiter}\", which would end the literal")
endif()
file(WRITE ${OUTPUT}.new
     "// Made from ${INPUT} by cmake/embed_text.cmake while building: edit that file.\n"
     "#pragma once\n#include <string_view>\n"
     "inline constexpr std::string_view ${NAME} = R\"${delimiter}(${text})${delimiter}\";\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
