add_library(plom_app_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DBMine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GlobalTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LokalTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RestructureValues.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableDefinitions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableSchema.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Useful.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WBegin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChangedDataSet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChangedFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataSetServices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenDbRegister.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipDll.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipMaster.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipDirectory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipVerify.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ArchiveCommand.cpp)
target_include_directories(plom_app_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(plom_app_core PUBLIC plom_fwdb plom_engine plom_base)
plom_warnings(plom_app_core)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
target_link_libraries(plom_app_core PUBLIC PkgConfig::LIBZIP)
