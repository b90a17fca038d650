# Runs a libFuzzer binary on a fresh copy of a seed corpus; fails when the fuzzer does.
#   cmake -D FUZZER=<binary> -D SEEDS=<seed folder> -D WORK=<scratch folder>
#         [-D "ARGS=<libFuzzer options>"] -P run_fuzzer.cmake
foreach(var FUZZER SEEDS WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzzer.cmake: ${var} not set")
  endif()
endforeach()
separate_arguments(args UNIX_COMMAND "${ARGS}")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(COMMAND ${FUZZER} ${args} -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
                WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB found ${WORK}/artifacts/*)
  message(FATAL_ERROR "${FUZZER} failed (${result}); inputs kept: ${found}")
endif()
