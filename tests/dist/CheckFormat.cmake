# Checks that every C++ file of the project reads as the repository's .clang-format writes it,
# so that layout never needs a word in review. Prints the files that differ.
#   cmake -DSOURCE_DIR=... -DCLANG_FORMAT=... -P CheckFormat.cmake
set(files)
foreach(folder platform engine app desktop programs tests bench)
  file(GLOB_RECURSE found "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  list(APPEND files ${found})
endforeach()
list(SORT files)

# One run for all files; each difference is reported as "<file>:<line>:<column>: error: ...".
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${files}
  WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_QUIET ERROR_VARIABLE report RESULT_VARIABLE result)
list(LENGTH files count)
if(result)
  string(REGEX MATCHALL "[^\n]*:[0-9]+:[0-9]+: error" places "${report}")
  set(failures)
  foreach(place ${places})
    string(REGEX REPLACE ":[0-9]+:[0-9]+: error$" "" file "${place}")
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
    list(APPEND failures "${shown}")
  endforeach()
  list(REMOVE_DUPLICATES failures)
  list(JOIN failures "\n  " shown)
  message(FATAL_ERROR "Not formatted (run clang-format -i on them):\n  ${shown}")
endif()
message(STATUS "${count} files formatted")
