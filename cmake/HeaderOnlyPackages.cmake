# SPDX-License-Identifier: MIT
# CLI11 and nlohmann-json are header-only. A cross build takes their headers
# from the build machine, copied on their own into the build folder: adding
# the build machine's whole include folder would put its C library headers
# before the target's.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(CLI11 CONFIG REQUIRED)
  find_package(nlohmann_json CONFIG REQUIRED)
  return()
endif()

# scriba8_header_only_target(TARGET HEADER FOLDER)
function(scriba8_header_only_target target header folder)
  if(TARGET ${target})
    return()
  endif()
  find_path(${folder}_HOST_INCLUDE ${header} PATHS /usr/include /usr/local/include
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(staged ${CMAKE_BINARY_DIR}/header-only)
  file(COPY ${${folder}_HOST_INCLUDE}/${folder} DESTINATION ${staged})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${staged})
endfunction()

scriba8_header_only_target(CLI11::CLI11 CLI/CLI.hpp CLI)
scriba8_header_only_target(nlohmann_json::nlohmann_json nlohmann/json.hpp nlohmann)
