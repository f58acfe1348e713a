# Runs PROGRAM with ARGS ("|"-separated) and passes when it fails with a message matching EXPECT.
# cmake -DPROGRAM=path -DARGS="a|b" -DEXPECT=regex -P ExpectFailure.cmake
string(REPLACE "|" ";" arguments "${ARGS}")
execute_process(COMMAND "${PROGRAM}" ${arguments} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(result EQUAL 0)
  message(FATAL_ERROR "expected a failure, got exit code 0\n${out}${err}")
endif()
if(NOT err MATCHES "${EXPECT}")
  message(FATAL_ERROR "expected an error matching '${EXPECT}', got (exit ${result}):\n${err}")
endif()
# Shown, so that a sanitizer report after the expected message still fails a sanitized test run.
message("${err}")
