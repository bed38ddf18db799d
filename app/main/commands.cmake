# SPDX-License-Identifier: MIT
# The window's command machinery that needs no main window: the worker that
# runs a command's work off the GUI thread, the library's questions as
# message boxes, and the auto-sequence dialog. Its own library so the thread
# tests build it alone.
set(APP_COMMANDS_FILES)
foreach(unit IN ITEMS command_auto_dialog command_device command_host command_worker)
  list(APPEND APP_COMMANDS_FILES
    ${CMAKE_CURRENT_LIST_DIR}/${unit}.cpp ${CMAKE_CURRENT_LIST_DIR}/${unit}.h)
endforeach()
add_library(scriba8_app_commands STATIC ${APP_COMMANDS_FILES})
target_include_directories(scriba8_app_commands PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(scriba8_app_commands PUBLIC scriba8_runner scriba8_app_widgets Qt6::Widgets scriba8_flags)
set_target_properties(scriba8_app_commands PROPERTIES AUTOMOC ON)
