# Where an installation puts things (GNU layout), and the helpers that give
# each installed program and library what it needs to run from there without
# LD_LIBRARY_PATH.
#
#   bin/                      quillon, regsvr, regtool, dcomhost, ntlmuser
#   lib/velmora/              the platform libraries and the OPC servers
#   lib/                      libgantrel.so, libmorvick.so (plug-ins)
#   include/velmora/          the plug-ins' public headers
#   lib/pkgconfig/            gantrel.pc, morvick.pc
#   share/applications, share/icons/hicolor, share/man/man1
#   etc/velmora/registry.reg  the machine-wide registry (written by regsvr --system)
include(GNUInstallDirs)

set(VELMORA_INSTALL_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/velmora)
set(VELMORA_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/velmora)

# velmora_install_program(<target>): installs a program into bin/ with a
# run path to the private library folder.
function(velmora_install_program target)
  file(RELATIVE_PATH to_libs /${CMAKE_INSTALL_BINDIR} /${VELMORA_INSTALL_PRIVATE_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${to_libs}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endfunction()

# velmora_install_private_library(<target>): installs a shared library or an
# in-process server into the private library folder, beside the libraries it
# loads.
function(velmora_install_private_library target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target}
    LIBRARY DESTINATION ${VELMORA_INSTALL_PRIVATE_LIBDIR} COMPONENT runtime
    RUNTIME DESTINATION ${VELMORA_INSTALL_PRIVATE_LIBDIR} COMPONENT runtime)
endfunction()

# The OPC servers an installation registers (see packaging/), by target.
set_property(GLOBAL PROPERTY VELMORA_INSTALLED_COM_SERVERS "")
function(velmora_install_com_server target)
  velmora_install_private_library(${target})
  set_property(GLOBAL APPEND PROPERTY VELMORA_INSTALLED_COM_SERVERS ${target})
endfunction()

# velmora_install_plugin(<target> HEADERS_FROM <dir> DESCRIPTION <text>):
# installs a plug-in library, its public headers with the component frame's
# (which declare ComponentEntry and its record), and a pkg-config file whose
# paths are relative to its own folder, so a staged or moved installation
# still describes itself.
function(velmora_install_plugin target)
  cmake_parse_arguments(P "" "HEADERS_FROM;DESCRIPTION" "" ${ARGN})
  install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
  get_filename_component(header_folder ${P_HEADERS_FROM} NAME)
  install(DIRECTORY ${P_HEADERS_FROM}/ DESTINATION ${VELMORA_INSTALL_INCLUDEDIR}/${header_folder}
          COMPONENT development FILES_MATCHING PATTERN "*.h")
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/component/include/component/
          DESTINATION ${VELMORA_INSTALL_INCLUDEDIR}/component COMPONENT development
          FILES_MATCHING PATTERN "init_record.h" PATTERN "host_api.h" PATTERN "export.h")
  file(RELATIVE_PATH PC_PREFIX_FROM_PCFILEDIR /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
  string(REGEX REPLACE "/$" "" PC_PREFIX_FROM_PCFILEDIR "${PC_PREFIX_FROM_PCFILEDIR}")
  set(PC_NAME ${target})
  set(PC_DESCRIPTION "${P_DESCRIPTION}")
  set(PC_LIBDIR ${CMAKE_INSTALL_LIBDIR})
  set(PC_INCLUDEDIR ${VELMORA_INSTALL_INCLUDEDIR})
  get_target_property(PC_LIBRARY_NAME ${target} OUTPUT_NAME)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/plugin.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endfunction()
