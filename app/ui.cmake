# The shell's widget part: progress window, message box and code dialogs, hints, focus navigation, the
# form opener and the resource guard.
add_library(plom_app_ui STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CodeDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EditControls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogHandler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FocusNavigation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Hints.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MyDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Splash.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormOpener.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ResPlus.cpp)
target_include_directories(plom_app_ui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(plom_app_ui PUBLIC plom_app_core plom_fwui plom_base)
plom_warnings(plom_app_ui)
