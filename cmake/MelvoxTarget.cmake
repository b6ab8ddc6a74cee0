# Common settings for every target of the project.
function(melvox_target target)
  target_compile_options(${target} PRIVATE ${MELVOX_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# Registers a Windows test program with ctest. The program runs as a whole under
# Wine (one start per program: Wine costs seconds per start). LOCALE ru runs it
# with the Russian code pages (ANSI 1251, OEM 866).
#   melvox_wine_test(NAME name TARGET target [LOCALE ru] [ARGS ...])
function(melvox_wine_test)
  cmake_parse_arguments(T "" "NAME;TARGET;LOCALE" "ARGS" ${ARGN})
  set(locale_args)
  if(T_LOCALE)
    set(locale_args --locale ${T_LOCALE})
  endif()
  add_test(NAME ${T_NAME}
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh --prefix ${MELVOX_WINE_PREFIX}
                   ${locale_args} $<TARGET_FILE:${T_TARGET}> ${T_ARGS})
  # Players are found by window class, so two programs starting players at once
  # would see each other's: Windows tests run one at a time.
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK desktop
                       TIMEOUT 900)
endfunction()
