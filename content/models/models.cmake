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
vorndle_texture(heights.png noise --size 97x97 --seed 3)
vorndle_texture(grass.png checker --size 8x8 --cell 4 --from 0.42,0.55,0.24 --to 0.44,0.57,0.25)
vorndle_texture(meadow.png checker --size 8x8 --cell 4 --from 0.55,0.6,0.3 --to 0.57,0.61,0.31)
vorndle_texture(plaster.png checker --size 8x8 --cell 4 --from 0.85,0.82,0.74 --to 0.86,0.83,0.75)
vorndle_texture(wood.png checker --size 64x64 --cell 4 --from 0.45,0.32,0.2 --to 0.5,0.36,0.23)
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

add_custom_target(vorndle_surfaces ALL DEPENDS ${VORNDLE_SURFACES})
