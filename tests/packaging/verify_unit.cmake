# verify_unit.cmake: -DANALYZE=systemd-analyze -DUNIT=template -DPROGRAM=built program
# -DOUTPUT=folder. Writes the unit with the template's program folder replaced by the built
# program's, and fails on any word from `systemd-analyze verify`: it reports unknown keys and
# values it cannot parse as warnings and still ends with 0.
if(NOT ANALYZE)
  message(FATAL_ERROR "systemd-analyze is missing (Debian package systemd)")
endif()
set(template_folder /opt/vandrel/Sistema)
file(READ ${UNIT} unit)
string(FIND "${unit}" "${template_folder}/vandrelVirazuzor" found)
if(found EQUAL -1)
  message(FATAL_ERROR "${UNIT} does not start ${template_folder}/vandrelVirazuzor")
endif()
get_filename_component(program_folder ${PROGRAM} DIRECTORY)
string(REPLACE "${template_folder}" "${program_folder}" unit "${unit}")
get_filename_component(name ${UNIT} NAME)
file(MAKE_DIRECTORY ${OUTPUT})
file(WRITE ${OUTPUT}/${name} "${unit}")

execute_process(COMMAND ${ANALYZE} verify ${OUTPUT}/${name}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  message(FATAL_ERROR "systemd-analyze verify ${OUTPUT}/${name} (exit ${result}):\n${out}${err}")
endif()
message(STATUS "systemd-analyze verify: ${name} is sound")
