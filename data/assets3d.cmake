# The 3D views' content (tools/content3d), through the asset cache: the archive
# "3ddata.nob", the scene file "Quenbar.con" and its palette into C:\QUENBAR\3DDATA,
# and the index of 3D data names, resource 202 of the program's own module.
file(GLOB content3d_inputs CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/tools/content3d/*.cpp ${PROJECT_SOURCE_DIR}/tools/content3d/*.h
     ${PROJECT_SOURCE_DIR}/tools/sgdata/*.cpp ${PROJECT_SOURCE_DIR}/tools/sgdata/*.h
     ${PROJECT_SOURCE_DIR}/tools/nob/*.cpp ${PROJECT_SOURCE_DIR}/tools/nob/*.h
     ${PROJECT_SOURCE_DIR}/media/ArchiveFormat.cpp ${PROJECT_SOURCE_DIR}/media/ArchiveFormat.h
     # The pictures are drawn by the whole 3D library.
     ${PROJECT_SOURCE_DIR}/sg/*/*.cpp ${PROJECT_SOURCE_DIR}/sg/*/*.h)
quen_cached_asset(NAME content3d INPUTS ${content3d_inputs} DEPENDS quencontent3d INSTALL ${QUEN_INSTALL_TREE}
  COMMAND $<TARGET_FILE:quencontent3d> data @OUT@)
quen_cached_asset(NAME index3d INPUTS ${content3d_inputs} DEPENDS quencontent3d PRODUCTS index3d.rc index202.bin
  COMMAND $<TARGET_FILE:quencontent3d> index @OUT@)
list(APPEND QUEN_ASSET_PROGRAM_INCLUDES ${QUEN_ASSET_DIR}/index3d)
list(APPEND QUEN_ASSET_PROGRAM_DEPENDS ${index3d_stamp} asset_index3d)
