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
# The main window and the program's start and end, over the kit.
add_library(plom_mainwin STATIC
    ${CMAKE_CURRENT_LIST_DIR}/WinGlavna.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainPictures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Startup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StageFolder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Arh.cpp)
target_include_directories(plom_mainwin PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(plom_mainwin PUBLIC plom_kit plom_controls plom_app_ui plom_app_core Qt6::Widgets)
plom_warnings(plom_mainwin)
add_executable(plom ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(plom PRIVATE plom_mainwin)
set_target_properties(plom PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
plom_warnings(plom)
add_executable(plom-stage ${CMAKE_CURRENT_LIST_DIR}/stage_main.cpp)
target_link_libraries(plom-stage PRIVATE plom_mainwin)
set_target_properties(plom-stage PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
plom_warnings(plom-stage)
