# Runs vmhost with one plug-in over a script and compares what it prints on
# standard output (the results) and standard error (the error boxes) with
# the expected files. Called by CTest with HOST, PLUGIN, SCRIPT, EXPECTED,
# EXPECTED_BOXES and OUTPUT (a folder for pictures), and EMULATOR (how to
# run a Windows host, empty for a native one).
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(
  COMMAND ${EMULATOR} ${HOST} --plugin vmswf=${PLUGIN} --output ${OUTPUT} ${SCRIPT}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vmhost failed (${rc}):\n${out}\n${err}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  file(WRITE ${OUTPUT}/actual.txt "${out}")
  message(FATAL_ERROR "results differ from ${EXPECTED}; actual in ${OUTPUT}/actual.txt:\n${out}")
endif()
file(READ ${EXPECTED_BOXES} expectedBoxes)
if(NOT err STREQUAL expectedBoxes)
  file(WRITE ${OUTPUT}/boxes.txt "${err}")
  message(FATAL_ERROR "error boxes differ from ${EXPECTED_BOXES}:\n${err}")
endif()
