vexra_fuzz_target(menu_template ${CMAKE_CURRENT_SOURCE_DIR}/MenuTemplateFuzz.cpp ${VEXRA_ROOT}/controls/MenuTemplate.cpp)
