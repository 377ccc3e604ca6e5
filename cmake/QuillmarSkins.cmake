# quillmar_copy_skins(TARGET): puts the sample skins of assets/skins into a "skins" folder beside the
# program TARGET builds, as the program expects them, and again whenever a skin file changes. The
# folder mirrors assets/skins: a skin removed there goes from the build too.
function(quillmar_copy_skins target)
    set(source ${PROJECT_SOURCE_DIR}/assets/skins)
    file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS ${source}/*)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}-skins.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -E rm -rf $<TARGET_FILE_DIR:${target}>/skins
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${source} $<TARGET_FILE_DIR:${target}>/skins
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${skin_files}
        COMMENT "Sample skins beside ${target}"
        VERBATIM)
    add_custom_target(${target}_skins DEPENDS ${stamp})
    add_dependencies(${target} ${target}_skins)
endfunction()
