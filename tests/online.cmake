# The leaderboard tests: a local HTTPS server for the client and the
# submitter, the name entry and the soak, and a compile-and-link check of the
# Windows client.

if(NOT WIN32)
  add_library(online_score_server STATIC ${CMAKE_CURRENT_SOURCE_DIR}/score_server/ScoreServer.cpp)
  target_include_directories(online_score_server PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(online_score_server PRIVATE
    SNOKRYSTAL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_link_libraries(online_score_server PUBLIC snokrystal_score PRIVATE snokrystal_warnings)
  foreach(name online_client_test online_submitter_test soak_test)
    if(TARGET ${name})
      target_link_libraries(${name} PRIVATE online_score_server)
    endif()
  endforeach()
endif()

# The WinINet client cannot run here, but it must build: compile it with the
# protocol and a small main for x86-64 Windows and link it against wininet.
find_program(SNOKRYSTAL_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++)
if(SNOKRYSTAL_MINGW_CXX)
  add_test(NAME online_wininet_cross_build
    COMMAND ${SNOKRYSTAL_MINGW_CXX} -std=c++20 -Wall -Wextra -Wpedantic -Wshadow
      -Wold-style-cast -Wdouble-promotion -Werror -static
      -I${PROJECT_SOURCE_DIR}
      "-DSNOKRYSTAL_SCORE_HOST=\"${SNOKRYSTAL_SCORE_HOST}\""
      ${PROJECT_SOURCE_DIR}/online/ScoreProtocol.cpp
      ${PROJECT_SOURCE_DIR}/online/ScoreClientWinInet.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/score_server/wininet_main.cpp
      -lwininet
      -o ${CMAKE_CURRENT_BINARY_DIR}/online_wininet_check.exe)
  set_tests_properties(online_wininet_cross_build PROPERTIES TIMEOUT 300
    FIXTURES_SETUP online_wininet_exe)
  # The program must import the exchange's calls from WININET.dll.
  find_program(SNOKRYSTAL_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump)
  if(SNOKRYSTAL_MINGW_OBJDUMP)
    add_test(NAME online_wininet_imports
      COMMAND sh -c "'${SNOKRYSTAL_MINGW_OBJDUMP}' -p '${CMAKE_CURRENT_BINARY_DIR}/online_wininet_check.exe' > '${CMAKE_CURRENT_BINARY_DIR}/online_wininet_imports.txt' && for f in 'DLL Name: WININET.dll' InternetOpenA InternetConnectA HttpOpenRequestA HttpSendRequestA InternetReadFile InternetCloseHandle; do grep -q \"$f\" '${CMAKE_CURRENT_BINARY_DIR}/online_wininet_imports.txt' || { echo \"missing import: $f\"; exit 1; }; done")
    set_tests_properties(online_wininet_imports PROPERTIES FIXTURES_REQUIRED online_wininet_exe)
  endif()
endif()
