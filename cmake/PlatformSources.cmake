# SPDX-License-Identifier: MIT
# Per-system code lives in files named *_posix.cpp and *_windows.cpp beside
# the portable ones (tests: *_posix_test.cpp, *_windows_test.cpp); a
# folder's source list keeps only this system's files.

# scriba8_keep_platform_sources(LIST_VAR)
function(scriba8_keep_platform_sources list_var)
  if(WIN32)
    list(FILTER ${list_var} EXCLUDE REGEX "_posix(_test)?\\.cpp$")
  else()
    list(FILTER ${list_var} EXCLUDE REGEX "_windows(_test)?\\.cpp$")
  endif()
  set(${list_var} ${${list_var}} PARENT_SCOPE)
endfunction()
