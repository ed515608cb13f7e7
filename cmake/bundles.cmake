# The three picture bundles: artgen draws the PNGs into build/art, the
# manifests of assets/art are copied beside them, and laserpack packs them
# into the folder the game runs from.
set(ZEP_ART_DIR ${CMAKE_BINARY_DIR}/art)
file(MAKE_DIRECTORY ${ZEP_ART_DIR} ${ZEP_RUN_DIR}/Graphics/Backgrounds)
set(ZEP_ART_PNGS)
foreach(name OL PlayerBullets2 PlayerBulletFlash Bullets Splat Ectoplasm Orb Flame Warning Star Title Icon16 Icon32 Icon48 Icon64 Icon128 Icon256
             NightSky1 NightSky2 NightSky3 NightSky4)
  list(APPEND ZEP_ART_PNGS ${ZEP_ART_DIR}/${name}.png)
endforeach()
file(GLOB ZEP_ARTGEN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/artgen/*)
add_custom_command(OUTPUT ${ZEP_ART_PNGS}
  COMMAND artgen ${ZEP_ART_DIR} ${CMAKE_SOURCE_DIR}/assets/art/OL.txt
  DEPENDS artgen ${ZEP_ARTGEN_SOURCES} ${CMAKE_SOURCE_DIR}/assets/art/OL.txt
  COMMENT "Drawing the game's pictures"
  VERBATIM)

set(ZEP_BUNDLES)
# each from the manifest of its own name
foreach(bundle ${ZEP_PICTURE_BUNDLES})
  get_filename_component(manifest ${bundle} NAME)
  set(copy ${ZEP_ART_DIR}/${manifest}.txt)
  set(out ${ZEP_RUN_DIR}/${bundle}.laser)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/assets/art/${manifest}.txt ${copy}
    COMMAND laserpack ${copy} ${out} ${bundle}
    DEPENDS laserpack ${ZEP_ART_PNGS} ${CMAKE_SOURCE_DIR}/assets/art/${manifest}.txt
    COMMENT "Packing ${bundle}.laser"
    VERBATIM)
  list(APPEND ZEP_BUNDLES ${out})
endforeach()
add_custom_target(zep-pictures ALL DEPENDS ${ZEP_BUNDLES})
