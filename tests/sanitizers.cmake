# Sanitizer builds: every test program gets the runtimes' default options and
# the suppression files of tests/sanitizers/ (third-party libraries only).
if(SNOKRYSTAL_SANITIZE)
  target_sources(snokrystal_test_support INTERFACE
    ${CMAKE_CURRENT_SOURCE_DIR}/sanitizers/Defaults.cpp)
  set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/sanitizers/Defaults.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS SNOKRYSTAL_SANITIZER_DIR="${CMAKE_CURRENT_SOURCE_DIR}/sanitizers")
endif()
