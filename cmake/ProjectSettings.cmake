# SPDX-License-Identifier: MIT
# Warning and sanitizer settings, attached per target through INTERFACE targets.

add_library(scriba8_warnings INTERFACE)
target_compile_options(scriba8_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor> -Wcast-align
  -Wformat=2 -Wimplicit-fallthrough
  $<$<BOOL:${SCRIBA8_WERROR}>:-Werror>)

add_library(scriba8_sanitizers INTERFACE)
if(SCRIBA8_SANITIZE STREQUAL "address")
  target_compile_options(scriba8_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(scriba8_sanitizers INTERFACE -fsanitize=address,undefined)
elseif(SCRIBA8_SANITIZE STREQUAL "thread")
  target_compile_options(scriba8_sanitizers INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(scriba8_sanitizers INTERFACE -fsanitize=thread)
elseif(NOT SCRIBA8_SANITIZE STREQUAL "")
  message(FATAL_ERROR "SCRIBA8_SANITIZE must be empty, address or thread")
endif()

# Everything of ours builds with both.
add_library(scriba8_flags INTERFACE)
target_link_libraries(scriba8_flags INTERFACE scriba8_warnings scriba8_sanitizers)
