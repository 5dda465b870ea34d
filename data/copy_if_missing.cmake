# cmake -DSOURCE=<file> -DDESTINATION=<file> -P copy_if_missing.cmake
# Copies SOURCE to DESTINATION, creating its folder, only when DESTINATION does not exist.
if(NOT SOURCE OR NOT DESTINATION)
  message(FATAL_ERROR "SOURCE and DESTINATION must be given")
endif()
if(NOT EXISTS "${DESTINATION}" AND NOT IS_SYMLINK "${DESTINATION}")
  get_filename_component(folder "${DESTINATION}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
