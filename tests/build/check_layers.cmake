# One case of the build's layering checks on the fixture project layers/: a copy of it gets the
# line ADD appended to the file INTO (or the library mid links EXTRA_LINK), then is configured
# and built. Succeeds when the outcome is EXPECT: "pass", or a failure whose output holds the
# text EXPECT.
#   cmake -DSOURCE=<layers> -DWORK=<folder> -DCMAKE_DIR=<cmake> [-DINTO=file -DADD=line]
#         [-DEXTRA_LINK=name] -DEXPECT=pass|text -P check_layers.cmake
file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE}/ DESTINATION ${WORK}/src)
if(INTO)
  file(APPEND ${WORK}/src/${INTO} "${ADD}\n")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK}/src -B ${WORK}/build -G Ninja
                        -DVANTREL_CMAKE_DIR=${CMAKE_DIR} -DEXTRA_LINK=${EXTRA_LINK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out2 ERROR_VARIABLE err2)
  string(APPEND out "${out2}")
  string(APPEND err "${err2}")
endif()
string(REGEX REPLACE "[ \t\r\n]+" " " all "${out} ${err}")
file(REMOVE_RECURSE ${WORK})
if(EXPECT STREQUAL "pass")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "expected the build to pass; it failed:\n${all}")
  endif()
elseif(rc EQUAL 0)
  message(FATAL_ERROR "expected the build to fail with \"${EXPECT}\"; it passed")
else()
  string(FIND "${all}" "${EXPECT}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected a failure with \"${EXPECT}\"; it failed with:\n${all}")
  endif()
endif()
