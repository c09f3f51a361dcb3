# test_plugin: TavlorCatalog's job and windows (offscreen), and the real program on a
# loop-mounted volume when run as root. install.*: the installation into a DESTDIR and
# the Debian package (install_test.sh).
tavlor_test_folder(plugin tavplugin)
add_dependencies(test_plugin TavlorCatalog)
target_compile_definitions(test_plugin PRIVATE TAVLOR_PLUGIN_PATH="$<TARGET_FILE:TavlorCatalog>")

foreach(mode install package)
  add_test(NAME install.${mode} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/plugin/install_test.sh ${CMAKE_BINARY_DIR}
                                        ${mode})
  set_tests_properties(install.${mode} PROPERTIES TIMEOUT 600 RUN_SERIAL ON)
endforeach()
