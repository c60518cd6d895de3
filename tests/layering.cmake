# The layers of the house and what each may include:
#   engine <- sheet <- cli
#   engine, sheet <- window <- window/qt, window/win32 <- app
# Nothing includes upward or sideways, and no window includes the formulas (it runs the
# calculate command and shows its record, nothing more).
#
#   cmake -DROOT=<source dir> -P layering.cmake
#
# Lists every `#include "…"` of engine/, sheet/, cli/, window/ and app/ that breaks the
# rule, and fails if there is one.
cmake_minimum_required(VERSION 3.25)

set(layers engine sheet cli window window/qt window/win32 app)
set(allowed_engine engine)
set(allowed_sheet engine sheet)
set(allowed_cli engine sheet cli)
set(allowed_window engine sheet window)
set(allowed_window/qt engine sheet window window/qt)
set(allowed_window/win32 engine sheet window window/win32)
set(allowed_app window window/qt window/win32 app)
set(window_layers window window/qt window/win32 app)
set(formulas
    engine/calc_context.h engine/components.h engine/input_case.h engine/real.h
    engine/sizing.h engine/trace.h engine/trig.h engine/atan.h)

# The layer a path of the source tree belongs to (the longest layer it lies in), or "".
function(layer_of path out)
  set(found "")
  foreach(layer IN LISTS layers)
    string(LENGTH "${layer}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    string(LENGTH "${found}" best)
    if(head STREQUAL "${layer}/" AND n GREATER best)
      set(found ${layer})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

if(NOT ROOT)
  message(FATAL_ERROR "ROOT (the source directory) is not set")
endif()
set(globs)
foreach(top engine sheet cli window app)
  list(APPEND globs ${ROOT}/${top}/*.h ${ROOT}/${top}/*.cpp ${ROOT}/${top}/*.inc)
endforeach()
file(GLOB_RECURSE sources RELATIVE ${ROOT} ${globs})
list(LENGTH sources file_count)
if(file_count EQUAL 0)
  message(FATAL_ERROR "no source files under ${ROOT}")
endif()

set(broken 0)
set(include_count 0)
foreach(source IN LISTS sources)
  layer_of("${source}" layer)
  get_filename_component(dir "${source}" DIRECTORY)
  file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    math(EXPR include_count "${include_count} + 1")
    if(NOT header MATCHES "/")
      set(header "${dir}/${header}")  # a header beside the file
    endif()
    layer_of("${header}" target)
    if(target STREQUAL "" OR NOT target IN_LIST allowed_${layer})
      message("${source}: includes \"${header}\", outside what ${layer}/ may include "
              "(${allowed_${layer}})")
      math(EXPR broken "${broken} + 1")
    elseif(layer IN_LIST window_layers AND header IN_LIST formulas)
      message("${source}: includes \"${header}\": a window knows nothing of the formulas")
      math(EXPR broken "${broken} + 1")
    endif()
  endforeach()
endforeach()

if(broken GREATER 0)
  message(FATAL_ERROR "${broken} include(s) break the layering")
endif()
message("${include_count} includes of ${file_count} files keep the layering")
