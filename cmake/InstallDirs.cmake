# Where `cmake --install` puts each part, relative to the prefix. The
# programs find the rest from their own folder through the relative paths
# below (tools/tsm-discover/InstallLayout.h), so a package unpacked under
# any root works.
set(TSM_INSTALL_PLUGIN_DIR "lib/kavrolin/plugins" CACHE STRING
    "Folder of the host's plug-ins, relative to the prefix: the plug-in goes there")
set(TSM_INSTALL_BIN_DIR "bin")
# The stand-in host library the tools link, private to the package.
set(TSM_INSTALL_PRIVATE_LIB_DIR "lib/tsm-discover")
# The simulator must never be taken for the real client: off the PATH.
set(TSM_INSTALL_LIBEXEC_DIR "libexec/tsm-discover")
set(TSM_INSTALL_DATA_DIR "share/tsm-discover")
set(TSM_INSTALL_DOC_DIR "share/doc/tsm-discover")
set(TSM_INSTALL_MAN_DIR "share/man")

# "../lib/kavrolin/plugins" from bin/ to `dir`.
function(tsm_relative_from_bin var dir)
  file(RELATIVE_PATH _rel /prefix/${TSM_INSTALL_BIN_DIR} /prefix/${dir})
  set(${var} ${_rel} PARENT_SCOPE)
endfunction()
tsm_relative_from_bin(TSM_REL_PLUGIN_DIR ${TSM_INSTALL_PLUGIN_DIR})
tsm_relative_from_bin(TSM_REL_LIBEXEC_DIR ${TSM_INSTALL_LIBEXEC_DIR})
tsm_relative_from_bin(TSM_REL_DATA_DIR ${TSM_INSTALL_DATA_DIR})
tsm_relative_from_bin(TSM_REL_PRIVATE_LIB_DIR ${TSM_INSTALL_PRIVATE_LIB_DIR})
file(RELATIVE_PATH TSM_PLUGIN_TO_PRIVATE_LIB /prefix/${TSM_INSTALL_PLUGIN_DIR} /prefix/${TSM_INSTALL_PRIVATE_LIB_DIR})
