plom_add_test(app_ui_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/Dialogs_test.cpp ${CMAKE_CURRENT_LIST_DIR}/Splash_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/FocusNavigation_test.cpp ${CMAKE_CURRENT_LIST_DIR}/Screenshots_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/EditControls_test.cpp
    LIBS plom_app_ui
    QT)
target_include_directories(app_ui_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/fw/ui)
plom_add_test(mainwin_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainWindow_test.cpp ${CMAKE_CURRENT_LIST_DIR}/Arh_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ProgramProcess_test.cpp
    LIBS plom_mainwin
    QT)
# The process test starts the program itself.
add_dependencies(mainwin_test plom)
