# Runs kilnova-cpuid-dump (TOOL). With DUMP, its output must be the dump's
# expected-value lines; without, it must list this processor's values in the
# same keys and order, followed by the clock.
execute_process(COMMAND ${TOOL} ${DUMP} OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TOOL} ${DUMP} failed (${result}): ${errors}")
endif()

if(DUMP)
    file(READ ${DUMP} content)
    string(REGEX REPLACE "^.*\n-+\n" "" expected "${content}")
    if(NOT output STREQUAL expected)
        message(FATAL_ERROR "expected:\n${expected}\nprinted:\n${output}")
    endif()
else()
    set(value "\"[^\"\n]*\"\n")
    set(form "^vendor = ${value}name = ${value}process = ${value}clock_method = \"(tickcount|sleep)\"\n")
    string(APPEND form "label7 = ${value}label9 = ${value}label10 = ${value}label11 = \"[0-9]+\"\n")
    string(APPEND form "label14 = \"[0-9]+\"\nclock = \"[0-9]+\\.[0-9][0-9][0-9] MHz\"\n$")
    if(NOT output MATCHES "${form}")
        message(FATAL_ERROR "not the form of a processor's values:\n${output}")
    endif()
endif()
message(STATUS "${output}")
