# The autoplay soak plays against the local test leaderboard.
if(TARGET soak_test AND TARGET online_score_server)
  target_link_libraries(soak_test PRIVATE online_score_server)
endif()
