# Fails the build when a source of the core library includes a toolkit header, directly or through
# another header. Reads the dependency files the compiler wrote beside the core's objects.
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
