vexra_fuzz_target(end_guard_argument ${CMAKE_CURRENT_SOURCE_DIR}/EndGuardArgumentFuzz.cpp
  ${VEXRA_ROOT}/endofrun/EndGuardArgument.cpp)
