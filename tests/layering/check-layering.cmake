# Builds each layering probe and checks the outcome: a probe that must
# compile compiles, and one that must not fails for the one reason that
# counts, its header not being found (any other error fails the check).
# Run by CTest: cmake -DBUILD_DIR=... -DPROBES=name|library|header|outcome;... -P
set(wrong "")
foreach(row IN LISTS PROBES)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 library)
  list(GET fields 2 header)
  list(GET fields 3 outcome)
  execute_process(
    COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target layering-${name}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(FIND "${output}" "${header}: No such file or directory" not_found)
  if(outcome STREQUAL "builds" AND NOT status EQUAL 0)
    string(APPEND wrong "${name}: ${library} does not find ${header}\n${output}\n")
  elseif(outcome STREQUAL "fails" AND status EQUAL 0)
    string(APPEND wrong "${name}: ${library} finds ${header}, which it must not\n")
  elseif(outcome STREQUAL "fails" AND not_found EQUAL -1)
    string(APPEND wrong "${name}: failed, but not for want of ${header}:\n${output}\n")
  else()
    message(STATUS "${name}: ${header} from ${library} ${outcome}, as it must")
  endif()
endforeach()
if(wrong)
  message(FATAL_ERROR "${wrong}")
endif()
