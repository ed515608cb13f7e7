# The sound bundle: synth renders each recipe of assets/sounds and the music
# of assets/music into build/sounds, and laserpack packs them.
set(ZEP_SOUND_DIR ${CMAKE_BINARY_DIR}/sounds)
file(MAKE_DIRECTORY ${ZEP_SOUND_DIR})
set(ZEP_OGGS)
foreach(score bulletcontact dash enemybullet enemyexplode health zorvabullet pichun points music/oladventure)
  if(score MATCHES "^music/")
    string(REPLACE "music/" "" name ${score})
    set(source ${CMAKE_SOURCE_DIR}/assets/music/${name}.txt)
  else()
    set(name ${score})
    set(source ${CMAKE_SOURCE_DIR}/assets/sounds/${name}.txt)
  endif()
  add_custom_command(OUTPUT ${ZEP_SOUND_DIR}/${name}.ogg
    COMMAND synth ${source} ${ZEP_SOUND_DIR}/${name}.ogg
    DEPENDS synth ${source}
    COMMENT "Rendering ${name}.ogg"
    VERBATIM)
  list(APPEND ZEP_OGGS ${ZEP_SOUND_DIR}/${name}.ogg)
endforeach()
add_custom_command(OUTPUT ${ZEP_RUN_DIR}/Sounds.laser
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/assets/sounds/Sounds.txt ${ZEP_SOUND_DIR}/Sounds.txt
  COMMAND laserpack ${ZEP_SOUND_DIR}/Sounds.txt ${ZEP_RUN_DIR}/Sounds.laser Sounds
  DEPENDS laserpack ${ZEP_OGGS} ${CMAKE_SOURCE_DIR}/assets/sounds/Sounds.txt
  COMMENT "Packing Sounds.laser"
  VERBATIM)
add_custom_target(zep-sounds ALL DEPENDS ${ZEP_RUN_DIR}/Sounds.laser)
