# SPDX-License-Identifier: MIT
# Windows shows a program's or DLL's version, name and description from its
# version resource; the other systems have no such thing.

# scriba8_add_version_resource(TARGET DESCRIPTION)
function(scriba8_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(SCRIBA8_RC_FILE_TYPE "VFT_DLL")
  else()
    set(SCRIBA8_RC_FILE_TYPE "VFT_APP")
  endif()
  set(SCRIBA8_RC_DESCRIPTION "${description}")
  set(SCRIBA8_RC_FILE_NAME "$<TARGET_FILE_NAME:${target}>")
  set(SCRIBA8_RC_INTERNAL_NAME "${target}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc}.in @ONLY)
  file(GENERATE OUTPUT ${rc} INPUT ${rc}.in)
  target_sources(${target} PRIVATE ${rc})
endfunction()
