# The production's shared meshes and surface pictures, made by meshtool and texgen into
# build/data/models/ and build/data/textures/. Included by production/CMakeLists.txt.
set(VORNDLE_MODELS ${VORNDLE_DATA}/models)
set(VORNDLE_TEXTURES ${VORNDLE_DATA}/textures)
set(VORNDLE_SURFACES)

# Pictures: texgen OUTPUT PATTERN ARGS...
function(vorndle_texture name)
    set(out ${VORNDLE_TEXTURES}/${name})
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNDLE_TEXTURES}
        COMMAND texgen ${out} ${ARGN}
        DEPENDS texgen)
    set(VORNDLE_SURFACES ${VORNDLE_SURFACES} ${out} PARENT_SCOPE)
endfunction()

vorndle_texture(noise.png noise --size 128x128 --seed 7)
vorndle_texture(detail.png surface --size 128x128 --seed 21 --from 0.36,0.36,0.36 --to 0.64,0.64,0.64)
vorndle_texture(heights.png noise --size 97x97 --seed 3)
vorndle_texture(grass.png surface --size 128x128 --seed 11 --from 0.3,0.45,0.16 --to 0.55,0.66,0.3)
vorndle_texture(meadow.png surface --size 128x128 --seed 12 --from 0.5,0.55,0.25 --to 0.7,0.68,0.38)
vorndle_texture(plaster.png surface --size 64x64 --seed 13 --from 0.78,0.74,0.66 --to 0.9,0.87,0.8)
vorndle_texture(wood.png surface --size 64x64 --seed 14 --from 0.33,0.22,0.13 --to 0.52,0.38,0.24)
vorndle_texture(roof.png checker --size 64x64 --cell 8 --from 0.55,0.2,0.15 --to 0.6,0.24,0.18)

# Meshes: meshtool [options] SOURCE OUTPUT
function(vorndle_mesh name)
    set(out ${VORNDLE_MODELS}/${name})
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNDLE_MODELS}
        COMMAND meshtool ${ARGN} ${out}
        DEPENDS meshtool ${VORNDLE_TEXTURES}/heights.png)
    set(VORNDLE_SURFACES ${VORNDLE_SURFACES} ${out} PARENT_SCOPE)
endfunction()

vorndle_mesh(ground.rmsh --size 400 --segments 96 --height 3 plane:${VORNDLE_TEXTURES}/heights.png)
vorndle_mesh(box.rmsh --size 1,1,1 box)
vorndle_mesh(sphere.rmsh --radius 1 --segments 32 --rings 16 sphere)
vorndle_mesh(cylinder.rmsh --radius 1 --height 1 --segments 24 cylinder)
vorndle_mesh(bird.rmsh --flags position,normal,texcoord,skin bird)

add_custom_target(vorndle_surfaces ALL DEPENDS ${VORNDLE_SURFACES})
