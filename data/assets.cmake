# The game's art, sound, music, movies and help, generated from the asset
# inventory (data/assets/*.txt) and the texts in data/help and data/voices.
# Every generator runs through the asset cache (data/assets/cache.cmake): a
# generator runs again only when its sources or inputs change.
set(QUEN_ASSET_DIR ${PROJECT_BINARY_DIR}/data/assets CACHE INTERNAL "generated asset folders")
set(asset_cache_script ${CMAKE_CURRENT_SOURCE_DIR}/assets/cache.cmake)
add_custom_target(gamedata_assets)
add_dependencies(gamedata gamedata_assets)

# The versions of the libraries and the compiler the generators are built with
# join every cache key: a new cairo, encoder or voice draws the assets again
# rather than serving pictures and sounds an older one made.
set(asset_library_versions "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}\n")
foreach(package cairo pango pangocairo freetype2 ogg vorbis vorbisenc libavcodec libavformat espeak-ng)
  execute_process(COMMAND pkg-config --modversion ${package} OUTPUT_VARIABLE version
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(APPEND asset_library_versions "${package} ${version}\n")
endforeach()
find_program(espeak_program NAMES espeak-ng)
if(espeak_program)
  execute_process(COMMAND ${espeak_program} --version OUTPUT_VARIABLE version
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(APPEND asset_library_versions "espeak-ng program ${version}\n")
endif()
set(asset_versions_file ${QUEN_ASSET_DIR}/library-versions.txt)
file(CONFIGURE OUTPUT ${asset_versions_file} CONTENT "${asset_library_versions}")

# quen_cached_asset(NAME id INPUTS file... DEPENDS target... [PRODUCTS file...] [INSTALL dir]
#                   COMMAND generator args...)
# Runs the command (with @OUT@ for its folder) through the cache into
# ${QUEN_ASSET_DIR}/<id>/ and, with INSTALL, into that folder of the installation
# tree; PRODUCTS names files there that later rules read.
# Sets <id>_stamp in the caller to the file that marks it done.
function(quen_cached_asset)
  cmake_parse_arguments(ARG "" "NAME;INSTALL" "INPUTS;DEPENDS;PRODUCTS;COMMAND" ${ARGN})
  set(out ${QUEN_ASSET_DIR}/${ARG_NAME})
  set(stamp ${QUEN_ASSET_DIR}/${ARG_NAME}.stamp)
  set(list_file ${QUEN_ASSET_DIR}/${ARG_NAME}.inputs)
  list(APPEND ARG_INPUTS ${asset_versions_file})
  string(REPLACE ";" "\n" inputs_text "${ARG_INPUTS}")
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${inputs_text}\n")
  list(TRANSFORM ARG_PRODUCTS PREPEND ${out}/)
  add_custom_command(OUTPUT ${stamp} ${ARG_PRODUCTS}
    COMMAND ${CMAKE_COMMAND} -DNAME=${ARG_NAME} -DOUT=${out} -DSTAMP=${stamp} -DINPUTS=${list_file}
            -DINSTALL=${ARG_INSTALL} -P ${asset_cache_script} -- ${ARG_COMMAND}
    DEPENDS ${asset_cache_script} ${ARG_INPUTS} ${ARG_DEPENDS}
    COMMENT "Generating assets: ${ARG_NAME}"
    VERBATIM)
  add_custom_target(asset_${ARG_NAME} DEPENDS ${stamp})
  if(ARG_INSTALL)
    add_dependencies(asset_${ARG_NAME} gamedata_tree)
  endif()
  add_dependencies(gamedata_assets asset_${ARG_NAME})
  set(${ARG_NAME}_stamp ${stamp} PARENT_SCOPE)
endfunction()

file(GLOB art_inputs CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/tools/art/*.cpp ${PROJECT_SOURCE_DIR}/tools/art/*.h
     ${CMAKE_CURRENT_SOURCE_DIR}/assets/*.txt)
list(APPEND art_inputs ${PROJECT_SOURCE_DIR}/platform/core/bytes.h)

# The image modules: id, module path below C:\QUENBAR.
set(image_modules
  frontend  ART/FRONTEND/frontend.dll
  anim      ART/ANIM/anim.dll
  asneex    ART/asneex.dll
  ima       ART/ima.dll
  guild1    ART/GUILD1/guild.dll
  guild2    ART/GUILD2/guild.dll
  guild3    ART/GUILD3/guild.dll
  guild4    ART/GUILD4/guild.dll
  guild5    ART/GUILD5/guild.dll)
list(LENGTH image_modules n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET image_modules ${i} id)
  list(GET image_modules ${j} module)
  # The front end's backdrops carry the captions of data/assets/captions.tab,
  # placed by the screens' dialog templates.
  set(caption_inputs)
  set(caption_args)
  if(id STREQUAL "frontend")
    set(caption_args ${CMAKE_CURRENT_SOURCE_DIR}/assets/captions.tab ${CMAKE_CURRENT_SOURCE_DIR}/frontend.rc
                     ${CMAKE_CURRENT_SOURCE_DIR}/strings/strings.txt)
    set(caption_inputs ${caption_args})
  endif()
  # The game's dialog panels carry those of data/assets/dialog_captions.tab.
  if(id STREQUAL "ima" OR id MATCHES "^guild")
    set(caption_args ${CMAKE_CURRENT_SOURCE_DIR}/assets/dialog_captions.tab ${CMAKE_CURRENT_SOURCE_DIR}/dialogs.rc
                     ${CMAKE_CURRENT_SOURCE_DIR}/strings/strings.txt)
    set(caption_inputs ${caption_args})
  endif()
  quen_cached_asset(NAME art_${id} INPUTS ${art_inputs} ${caption_inputs} DEPENDS quenart PRODUCTS module.rc
    COMMAND $<TARGET_FILE:quenart> images ${CMAKE_CURRENT_SOURCE_DIR}/assets ${module} @OUT@ ${caption_args})
  get_filename_component(folder ${module} DIRECTORY)
  get_filename_component(file ${module} NAME)
  quen_gamedata_module(NAME ${file} DEST ${folder} SCRIPT ${QUEN_ASSET_DIR}/art_${id}/module.rc
    DEPENDS ${art_${id}_stamp} asset_art_${id})
endforeach()

# The cursors go into the program's own module (quenbar.rc includes cursors.rc).
quen_cached_asset(NAME cursors INPUTS ${art_inputs} DEPENDS quenart PRODUCTS cursors.rc
  COMMAND $<TARGET_FILE:quenart> cursors @OUT@)
set(QUEN_ASSET_PROGRAM_INCLUDES ${QUEN_ASSET_DIR}/cursors)
set(QUEN_ASSET_PROGRAM_DEPENDS ${cursors_stamp} asset_cursors)

# The asset tests read the built modules and files.
function(quen_asset_test_deps)
  foreach(t tools_art_tests tools_sound_tests)
    if(TARGET ${t})
      add_dependencies(${t} gamedata)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL quen_asset_test_deps)

# The help module.
quen_cached_asset(NAME help INPUTS ${CMAKE_CURRENT_SOURCE_DIR}/help/topics.txt
  ${PROJECT_SOURCE_DIR}/tools/help/topics.cpp ${PROJECT_SOURCE_DIR}/tools/help/main.cpp
  DEPENDS quenhelp PRODUCTS help.rc
  COMMAND $<TARGET_FILE:quenhelp> ${CMAKE_CURRENT_SOURCE_DIR}/help/topics.txt @OUT@)
quen_gamedata_module(NAME help.dll DEST HELP SCRIPT ${QUEN_ASSET_DIR}/help/help.rc DEPENDS ${help_stamp} asset_help)

# Sound effects and voices below C:\QUENBAR\SOUND, music on the CD, movies below
# C:\QUENBAR\MOVIES and on the CD: each generator writes the installation tree's layout.
file(GLOB sound_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/sound/*.cpp ${PROJECT_SOURCE_DIR}/tools/sound/*.h)
set(inventory_inputs ${CMAKE_CURRENT_SOURCE_DIR}/assets/files.txt ${PROJECT_SOURCE_DIR}/tools/art/inventory.cpp
    ${PROJECT_SOURCE_DIR}/tools/art/canvas.cpp)
quen_cached_asset(NAME effects INPUTS ${sound_inputs} ${inventory_inputs} DEPENDS quensound INSTALL ${QUEN_INSTALL_TREE}
  COMMAND $<TARGET_FILE:quensound> effects ${CMAKE_CURRENT_SOURCE_DIR}/assets @OUT@)
quen_cached_asset(NAME voices INPUTS ${sound_inputs} ${inventory_inputs} ${CMAKE_CURRENT_SOURCE_DIR}/voices/voices.txt
  DEPENDS quensound INSTALL ${QUEN_INSTALL_TREE}
  COMMAND $<TARGET_FILE:quensound> voices ${CMAKE_CURRENT_SOURCE_DIR}/assets ${CMAKE_CURRENT_SOURCE_DIR}/voices/voices.txt @OUT@)
file(GLOB music_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/music/*.cpp ${PROJECT_SOURCE_DIR}/tools/music/*.h)
quen_cached_asset(NAME music INPUTS ${music_inputs} ${inventory_inputs} DEPENDS quenmusic INSTALL ${QUEN_INSTALL_TREE}
  COMMAND $<TARGET_FILE:quenmusic> ${CMAKE_CURRENT_SOURCE_DIR}/assets 150 @OUT@)
file(GLOB movie_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/movies/*.cpp ${PROJECT_SOURCE_DIR}/tools/movies/*.h
     ${PROJECT_SOURCE_DIR}/tools/art/looks.cpp)
quen_cached_asset(NAME movies INPUTS ${movie_inputs} ${music_inputs} ${sound_inputs} ${inventory_inputs}
  DEPENDS quenmovie INSTALL ${QUEN_INSTALL_TREE}
  COMMAND $<TARGET_FILE:quenmovie> ${CMAKE_CURRENT_SOURCE_DIR}/assets @OUT@)
