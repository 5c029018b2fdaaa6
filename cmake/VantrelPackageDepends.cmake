# Run by cpack (CPACK_PROJECT_CONFIG_FILE): the package's Depends are the libraries of the
# program, its Recommends the LibreOffice libraries that only the Calc module needs, both as
# dpkg-shlibdeps gives them.

cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

# The dependency list of one ELF file, as "name (>= version), ...".
function(vantrel_shlibdeps file out)
  set(work ${CPACK_TOPLEVEL_DIRECTORY}/vantrel-shlibdeps)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work}/debian)
  file(WRITE ${work}/debian/control "Source: vantrel\n\nPackage: vantrel\nArchitecture: any\n")
  execute_process(COMMAND dpkg-shlibdeps -O --ignore-missing-info ${file} WORKING_DIRECTORY ${work}
                  OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(REMOVE_RECURSE ${work})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps ${file}: ${err}")
  endif()
  string(REGEX REPLACE "^shlibs:Depends=" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

vantrel_shlibdeps(${VANTREL_PACKAGE_PROGRAM} depends)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
set(recommends "")
if(VANTREL_PACKAGE_MODULE)
  vantrel_shlibdeps(${VANTREL_PACKAGE_MODULE} module)
  # Only what the program does not depend on already.
  string(REPLACE ", " ";" program_deps "${depends}")
  set(names)
  foreach(dep ${program_deps})
    string(REGEX MATCH "^[^ ]+" name "${dep}")
    list(APPEND names "${name}")
  endforeach()
  string(REPLACE ", " ";" module "${module}")
  foreach(dep ${module})
    string(REGEX MATCH "^[^ ]+" name "${dep}")
    if(NOT name IN_LIST names)
      list(APPEND recommends "${dep}")
    endif()
  endforeach()
endif()
list(APPEND recommends ${VANTREL_PACKAGE_EXTRA_RECOMMENDS})
list(JOIN recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
