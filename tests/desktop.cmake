# The game as scripts/run starts it (its launcher nested in the build
# environment): sound through a PulseAudio server of the test's own, silence
# without any sound device, and what the launcher shares of the machine.
find_program(XVFB_RUN xvfb-run)
find_program(BWRAP bwrap)
find_program(PULSEAUDIO pulseaudio)
find_program(PAREC parec)
find_program(XDOTOOL xdotool)
if(XVFB_RUN AND BWRAP AND PULSEAUDIO AND PAREC AND XDOTOOL AND NOT SNOKRYSTAL_SANITIZE)
  set(desktop_check ${CMAKE_CURRENT_SOURCE_DIR}/desktop/desktop.py)
  foreach(check SoundPerSlide:sound SilentWithoutSoundDevice:silent)
    string(REPLACE ":" ";" check ${check})
    list(GET check 0 name)
    list(GET check 1 mode)
    add_test(NAME Desktop.${name}
      COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x800x24 -noreset"
        python3 ${desktop_check} ${mode} $<TARGET_FILE:snokrystal>)
    set_tests_properties(Desktop.${name} PROPERTIES TIMEOUT 180 RESOURCE_LOCK nested_xvfb)
  endforeach()
  add_test(NAME Desktop.LauncherShares COMMAND python3 ${desktop_check} args)
endif()
