# The Windows game: one self-contained GUI program. SFML and its libraries are
# static (the windows preset sets SFML_STATIC_LIBRARIES), and -static takes in
# the C++ and GCC runtimes and winpthreads too, so snokrystal.exe needs only
# DLLs every Windows ships.
set_target_properties(snokrystal PROPERTIES WIN32_EXECUTABLE ON)
# SFML's WinMain calls main, so the game keeps its plain main.
find_package(SFML 3 REQUIRED COMPONENTS Main)
target_link_libraries(snokrystal PRIVATE SFML::Main)
target_link_options(snokrystal PRIVATE -static)
