# Runs the preview on one map. The preview, like the compiler, ends with status 1 when it wrote
# its picture, which a build step would take for a failure; this script turns that around.
execute_process(
  COMMAND ${PREVIEW} ${MAP} -o ${OUT} --scale ${SCALE}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "tunnelsmith-preview could not draw ${MAP} (status ${status}):\n${output}")
endif()
