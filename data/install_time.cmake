# Runs at install time, from the install rules in this folder. Paths are
# taken as the installed system sees them, so DESTDIR (a packager's staging
# folder) goes only into where files are put.
function(orvik_absolute out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

orvik_absolute(orvik_program_dir "${ORVIK_PROGRAMDIR}")
orvik_absolute(orvik_bin_dir "${ORVIK_BINDIR}")
set(orvik_program "${orvik_program_dir}/orvik")

# The menu entry for the program's final place, written into the build
# folder before anything is installed, so a path no entry can name stops the
# install before it starts.
function(orvik_write_menu_entry)
  execute_process(COMMAND "${ORVIK_MENU_ENTRY_TOOL}" "${ORVIK_MENU_ENTRY_TEMPLATE}" "${ORVIK_MENU_ENTRY}"
                          "${orvik_program}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "No menu entry can name the program at ${orvik_program}; choose another program folder")
  endif()
endfunction()

# A link in the binary folder puts the program on the PATH, unless it is
# installed there already.
function(orvik_link_program)
  if(orvik_program_dir STREQUAL orvik_bin_dir)
    return()
  endif()
  file(RELATIVE_PATH target "${orvik_bin_dir}" "${orvik_program}")
  set(link "$ENV{DESTDIR}${orvik_bin_dir}/orvik")
  message(STATUS "Installing: ${link} -> ${target}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${orvik_bin_dir}")
  file(CREATE_LINK "${target}" "${link}" SYMBOLIC)
  # Listed as CMake lists what it installs: without DESTDIR.
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${orvik_bin_dir}/orvik")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
