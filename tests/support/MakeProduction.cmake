# The bundled production made by the content tool in FOLDER, from an empty folder each time: the
# tool writes over nothing but its own output, and a folder made before it recorded that output
# would be refused. RUNNER (Wine for a cross build) runs TOOL where this system cannot.
file(REMOVE_RECURSE "${FOLDER}")
execute_process(COMMAND ${RUNNER} "${TOOL}" "${FOLDER}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${TOOL} ${FOLDER}: ${status}")
endif()
