# tb_pack(PACK name MANIFEST path/manifest.txt OUTPUT Data/Res/Name.dxg)
# Builds one image or sound pack into the playable folder with dxpack. The pack is rebuilt
# when dxpack, the manifest, any file beside the manifest or the shared palette changes.
function(tb_pack)
  cmake_parse_arguments(ARG "" "PACK;MANIFEST;OUTPUT" "" ${ARGN})
  if(NOT ARG_PACK OR NOT ARG_MANIFEST OR NOT ARG_OUTPUT)
    message(FATAL_ERROR "tb_pack needs PACK, MANIFEST and OUTPUT")
  endif()
  get_filename_component(source_dir ${ARG_MANIFEST} DIRECTORY)
  file(GLOB sources CONFIGURE_DEPENDS ${source_dir}/*)
  set(output ${TB_GAME_DIR}/${ARG_OUTPUT})
  if(TB_GAME_DATA_FROM)
    # Taken from another tree's playable folder, made there from the same sources.
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E copy ${TB_GAME_DATA_FROM}/${ARG_OUTPUT} ${output}
      DEPENDS ${TB_GAME_DATA_FROM}/${ARG_OUTPUT}
      COMMENT "Copying ${ARG_OUTPUT}"
      VERBATIM)
    add_custom_target(pack_${ARG_PACK} ALL DEPENDS ${output})
    return()
  endif()
  add_custom_command(
    OUTPUT ${output}
    COMMAND $<TARGET_FILE:dxpack> build ${ARG_MANIFEST} ${output}
    DEPENDS dxpack ${ARG_MANIFEST} ${sources} ${PROJECT_SOURCE_DIR}/assets/palette.txt
    COMMENT "Building ${ARG_OUTPUT}"
    VERBATIM)
  add_custom_target(pack_${ARG_PACK} ALL DEPENDS ${output})
endfunction()
