# The example data committed in examples/demo/ is what make_examples makes
# today. Called by CTest with MAKER (the program), EMULATOR (how to run a
# Windows program, empty for a native one), EXAMPLES (the committed folder)
# and OUTPUT (a scratch folder).
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${EMULATOR} ${MAKER} ${OUTPUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "make_examples failed (${rc})")
endif()
foreach(name demo-data.zip background.png)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${EXAMPLES}/${name}
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "examples/demo/${name} is not what make_examples makes now; "
      "run it into examples/demo/ and commit the result")
  endif()
endforeach()
