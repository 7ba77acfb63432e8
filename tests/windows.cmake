# Every game source must compile for Windows x86-64 (MinGW-w64 against SFML 3's
# headers), so a POSIX-only call outside its platform switch fails here.
find_program(MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(MINGW_CXX AND NOT SNOKRYSTAL_SANITIZE)
  add_test(NAME Windows.GameSourcesCompile
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-windows
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(Windows.GameSourcesCompile PROPERTIES TIMEOUT 600 ENVIRONMENT "MINGW_CXX=${MINGW_CXX}")
endif()
