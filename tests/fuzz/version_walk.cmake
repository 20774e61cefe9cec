vexra_fuzz_target(version_walk ${CMAKE_CURRENT_SOURCE_DIR}/VersionWalkFuzz.cpp
  ${VEXRA_ROOT}/monitor/VersionWalk.cpp)
