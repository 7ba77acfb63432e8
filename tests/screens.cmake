# Tests on virtual screens of their own, whatever display the suite runs on:
# the full-screen toggle on screens narrower than and as wide as 1920, and
# the whole frames compared with their pictures on the software renderer.
find_program(XVFB_RUN xvfb-run)
if(XVFB_RUN)
  foreach(screen 1920x1080 1600x900)
    add_test(NAME Fullscreen.Toggle.${screen}
      COMMAND ${XVFB_RUN} -a -s "-screen 0 ${screen}x24 -noreset"
        $<TARGET_FILE:spine_test> --gtest_filter=Fullscreen.F11GoesFullScreen*
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(Fullscreen.Toggle.${screen} PROPERTIES TIMEOUT 120 RESOURCE_LOCK nested_xvfb)
  endforeach()

  add_executable(render_frames render_frames.cpp)
  target_link_libraries(render_frames PRIVATE snokrystal_test_support GTest::gtest_main
    snokrystal_warnings)
  add_test(NAME Frames
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1920x1080x24 -noreset" $<TARGET_FILE:render_frames>
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(Frames PROPERTIES TIMEOUT 300 RESOURCE_LOCK nested_xvfb)
endif()
