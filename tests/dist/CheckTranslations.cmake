# Checks that the English translation source is complete and current: lupdate run over the
# sources must find nothing new, nothing gone and nothing unfinished, and every help page must
# have its English twin. A text added without a translation fails here.
#   cmake -DSOURCE_DIR=... -DLUPDATE=... -DTS_FILE=... -DWORK_DIR=... "-DOPTIONS=..." -P CheckTranslations.cmake
file(MAKE_DIRECTORY "${WORK_DIR}")
set(copy "${WORK_DIR}/ryk_en.ts")
file(COPY_FILE "${TS_FILE}" "${copy}")
execute_process(COMMAND "${LUPDATE}" -silent ${OPTIONS} engine app platform programs desktop res
    -ts "${copy}"
  WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "lupdate failed: ${result}")
endif()
file(READ "${copy}" updated)
file(READ "${TS_FILE}" committed)
string(REGEX MATCHALL "<source>[^<]*</source>\n[^\n]*type=\"unfinished\"" unfinished "${updated}")
if(unfinished)
  list(JOIN unfinished "\n  " shown)
  message(FATAL_ERROR "Texts without an English translation in ${TS_FILE}:\n  ${shown}")
endif()
if(NOT updated STREQUAL committed)
  message(FATAL_ERROR "${TS_FILE} is not current: run lupdate as the update_translations target does")
endif()

file(GLOB pages RELATIVE "${SOURCE_DIR}/res/help" "${SOURCE_DIR}/res/help/*.htm")
set(untranslated)
foreach(page ${pages})
  if(NOT EXISTS "${SOURCE_DIR}/res/help/en/${page}")
    list(APPEND untranslated ${page})
  endif()
endforeach()
if(untranslated)
  message(FATAL_ERROR "Help pages without an English one in res/help/en: ${untranslated}")
endif()
list(LENGTH pages count)
message(STATUS "Translations complete, ${count} help pages")
