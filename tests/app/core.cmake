plom_add_test(app_core_test
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/FakeTableEngine.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FolderHooks_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/Settings_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TableCheck_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TableCheckFiles_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TableCheckSalvage_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TableCheckWritePoints_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TableDefinitions_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TableFiles_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/Useful_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DBMine_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ChangedDataSet_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ChangedFields_test.cpp
    LIBS plom_app_core)
find_package(ZLIB REQUIRED)
plom_add_test(app_archive_test
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/ZipTestFiles.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ZipMaster_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ZipDirectory_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ArchiveCommand_test.cpp
    LIBS plom_app_core ZLIB::ZLIB)
plom_add_test(app_dbservices_test
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DataSetServices_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/OpenDbRegister_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/OpenDbStations_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/RegisterWritePoints_test.cpp
    LIBS plom_app_core)
