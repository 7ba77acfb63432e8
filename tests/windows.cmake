# The Windows game of the release archive (scripts/package), checked here:
# what the archive holds and what the program imports, then the real
# snokrystal.exe played under Wine beside the Linux build (tests/windows/).
if(NOT SNOKRYSTAL_SANITIZE AND TARGET online_score_server)
  add_executable(score_post windows/score_post.cpp)
  target_link_libraries(score_post PRIVATE snokrystal_core snokrystal_warnings)

  set(windows_archive ${PROJECT_SOURCE_DIR}/dist/snokrystal-windows-x86_64.zip)
  add_test(NAME Windows.Archive
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/archive_check.sh ${windows_archive})
  find_program(WINE wine)
  if(WINE)
    add_test(NAME Windows.PlayedUnderWine
      COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine_check.py ${windows_archive}
        $<TARGET_FILE:snokrystal> $<TARGET_FILE:score_post>
        ${PROJECT_SOURCE_DIR}/build/windows/CMakeCache.txt ${SNOKRYSTAL_SCORE_HOST}
        ${CMAKE_CURRENT_BINARY_DIR}/wine-checks
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(Windows.PlayedUnderWine PROPERTIES TIMEOUT 600)
  endif()
endif()
