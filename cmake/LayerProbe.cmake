# Builds one layer probe (cmake/Layers.cmake) and checks the outcome: PASS
# must compile; FAIL must stop because HEADER is not found (in gcc's or
# clang's words), and for no other reason.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${TREE} --target ${TARGET}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(EXPECT STREQUAL "PASS")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${HEADER} should compile here:\n${out}")
  endif()
elseif(result EQUAL 0)
  message(FATAL_ERROR "${HEADER} compiled, but lies in a layer above")
elseif(NOT out MATCHES "(${HEADER}: No such file|'${HEADER}' file not found)")
  message(FATAL_ERROR "the probe failed for another reason than ${HEADER}:\n${out}")
endif()
