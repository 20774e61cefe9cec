vexra_fuzz_target(gif_walk ${CMAKE_CURRENT_SOURCE_DIR}/GifWalkFuzz.cpp ${VEXRA_ROOT}/controls/GifWalker.cpp)
