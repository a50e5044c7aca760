# Fails the build when a source includes what its layer may not.
# 1. The core library includes no toolkit header, directly or through another header: read from the
#    dependency files the compiler wrote beside the core's objects (DEP_DIR).
# 2. The folders are the program's layers: each rule names the path (or path prefix) of an including
#    file, then what it may include; the first rule that matches a file decides. Read from the
#    program's own quoted includes under SOURCE_DIR.
file(GLOB_RECURSE depfiles "${DEP_DIR}/*.d")
if(NOT depfiles)
  message(FATAL_ERROR "no dependency files under ${DEP_DIR}: cannot check the core library's includes")
endif()
foreach(depfile ${depfiles})
  file(STRINGS "${depfile}" toolkit REGEX "/FL/")
  if(toolkit)
    list(GET toolkit 0 first)
    string(STRIP "${first}" first)
    message(FATAL_ERROR "${depfile}: the core library must not include toolkit headers (${first})")
  endif()
endforeach()

set(layers
  "app/main.cpp|app/ records/ ui/"
  "records/|records/ app/"
  "app/|app/ records/"
  "charts/core/|charts/core/ records/ app/"
  "history/core/|history/core/ charts/core/ records/ app/"
  "charts/ChartController|charts/ history/HistogramTab.h records/ app/"
  "charts/|charts/ records/ app/ ui/Artwork.h ui/DocumentWindows.h"
  "history/|history/ charts/core/ records/ app/ ui/Artwork.h ui/DocumentWindows.h ui/TabBrowser.h"
  "ui/|ui/ charts/ history/ records/ app/"
)
# Headers that only some files may include, whatever their folder allows.
set(guarded
  "ui/MainWindow.h|ui/MainWindow app/main.cpp"
)

function(first_match path table out)
  foreach(row ${table})
    string(REPLACE "|" ";" row "${row}")
    list(GET row 0 prefix)
    string(FIND "${path}" "${prefix}" at)
    if(at EQUAL 0)
      list(GET row 1 allowed)
      set(${out} "${allowed}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

function(starts_with_any text prefixes out)
  string(REPLACE " " ";" prefixes "${prefixes}")
  foreach(prefix ${prefixes})
    string(FIND "${text}" "${prefix}" at)
    if(at EQUAL 0)
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} FALSE PARENT_SCOPE)
endfunction()

set(broken "")
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/app/*.[ch]*" "${SOURCE_DIR}/records/*.[ch]*" "${SOURCE_DIR}/ui/*.[ch]*"
     "${SOURCE_DIR}/charts/*.[ch]*" "${SOURCE_DIR}/history/*.[ch]*")
foreach(source ${sources})
  first_match("${source}" "${layers}" allowed)
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    string(REGEX REPLACE ".*\"([^\"]*)\".*" "\\1" header "${line}")
    if(NOT header MATCHES "/")
      continue()  # a header without a folder is the toolkit's or the system's
    endif()
    starts_with_any("${header}" "${allowed}" ok)
    first_match("${header}" "${guarded}" includers)
    if(NOT ok)
      string(APPEND broken "\n  ${source} includes ${header}: files there may include only ${allowed}")
    elseif(includers)
      starts_with_any("${source}" "${includers}" ok)
      if(NOT ok)
        string(APPEND broken "\n  ${source} includes ${header}: only ${includers} may")
      endif()
    endif()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "includes against the layers of tools/check-includes.cmake:${broken}")
endif()
