# The Windows game: one self-contained GUI program. SFML and its libraries are
# static (the windows preset sets SFML_STATIC_LIBRARIES), and -static takes in
# the C++ and GCC runtimes and winpthreads too, so snokrystal.exe needs only
# DLLs every Windows ships.
set_target_properties(snokrystal PROPERTIES WIN32_EXECUTABLE ON)
# SFML's WinMain calls main, so the game keeps its plain main.
find_package(SFML 3 REQUIRED COMPONENTS Main)
target_link_libraries(snokrystal PRIVATE SFML::Main)
target_link_options(snokrystal PRIVATE -static)

# The resources Explorer, the taskbar and Properties -> Details read: the icon
# file, the version of project() and the manifest (app/snokrystal.rc.in),
# compiled by MinGW-w64's windres.
enable_language(RC)
configure_file(app/snokrystal.rc.in snokrystal.rc @ONLY)
target_sources(snokrystal PRIVATE ${PROJECT_BINARY_DIR}/snokrystal.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/snokrystal.rc PROPERTIES OBJECT_DEPENDS
  "${PROJECT_SOURCE_DIR}/assets/icon/snokrystal.ico;${PROJECT_SOURCE_DIR}/app/snokrystal.manifest")
