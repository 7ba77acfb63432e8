# The full-screen toggle under virtual screens narrower and as wide as 1920.
find_program(XVFB_RUN xvfb-run)
if(XVFB_RUN)
  foreach(screen 1920x1080 1600x900)
    add_test(NAME Fullscreen.Toggle.${screen}
      COMMAND ${XVFB_RUN} -a -s "-screen 0 ${screen}x24 -noreset"
        $<TARGET_FILE:spine_test> --gtest_filter=Fullscreen.F11GoesFullScreen*
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(Fullscreen.Toggle.${screen} PROPERTIES TIMEOUT 120 RESOURCE_LOCK nested_xvfb)
  endforeach()
endif()
