# velmora_register_com_server(<target>)
# Registers an in-process COM server library in the build tree's registry
# (${CMAKE_BINARY_DIR}/registry.reg, the store scripts/run.sh points
# VELMORA_REGISTRY at) each time the library is built, by running regsvr on
# it. The library registers itself from its DllRegisterServer (com/server.h).
function(velmora_register_com_server target)
  set(registry ${CMAKE_BINARY_DIR}/registry.reg)
  add_dependencies(${target} regsvr)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env VELMORA_REGISTRY=${registry} $<TARGET_FILE:regsvr> $<TARGET_FILE:${target}>
    COMMENT "Registering ${target} in ${registry}"
    VERBATIM)
endfunction()
