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
vorndle_texture(clouds.png surface --size 256x256 --seed 31 --from 0,0,0 --to 1,1,1 --channels 1)
vorndle_texture(detail.png surface --size 128x128 --seed 21 --from 0.36,0.36,0.36 --to 0.64,0.64,0.64)
# The valley: 129 × 129 heights, one per vertex of the ground grid (128 cells of 3.125 m).
vorndle_texture(heights.png hills --size 129x129 --seed 5 --channels 1)

# A material's picture and, beside it, its normal map NAME_normal.png drawn from the same seed, so
# its grooves and bumps sit on the picture's: vorndle_material(NAME PATTERN SEED STRENGTH).
function(vorndle_material name pattern seed strength)
    vorndle_texture(${name}.png ${pattern} --seed ${seed})
    vorndle_texture(${name}_normal.png ${pattern} --seed ${seed} --normalmap --strength ${strength})
    set(VORNDLE_SURFACES ${VORNDLE_SURFACES} PARENT_SCOPE)
endfunction()

# Materials, each picture 256 × 256 (petals, feathers and the window 128) in the material's own
# colours unless its line says otherwise. turf and turf_dry are grass and meadow seen close, for a
# ground that repeats them every few metres.
vorndle_material(turf grass 11 3)
vorndle_texture(turf_dry.png meadow --seed 12)
# A decal along the terrain: tiles along v only, its verges fade to nothing at the left and right.
vorndle_texture(path.png path --seed 17 --channels 4)
vorndle_material(rock rock 18 4)
vorndle_material(bark bark 19 5)
# The leaves of the trees' crowns: one twig on clear ground, for the crowns' cards.
vorndle_texture(leaves.png leafcard --seed 20 --channels 4)
vorndle_material(plaster plaster 13 3)
vorndle_material(planks planks 22 4)
vorndle_material(rooftiles rooftiles 23 4)
vorndle_material(shingles shingles 24 4)
vorndle_material(brick brick 25 4)
vorndle_texture(canvas.png canvas --seed 26)
vorndle_texture(glass.png glass --seed 27)
vorndle_texture(feathers.png feathers --seed 28)
# One petal each, with alpha around it: the daisy's narrow picture draws a narrow petal.
vorndle_texture(petal_daisy.png petals --size 64x128 --channels 4)
vorndle_texture(petal_poppy.png petals --channels 4 --from 0.12,0.05,0.05 --to 0.9,0.14,0.07)
vorndle_texture(petal_cornflower.png petals --channels 4 --from 0.2,0.22,0.6 --to 0.36,0.52,0.96)
vorndle_texture(petal_buttercup.png petals --channels 4 --from 0.85,0.62,0.05 --to 1,0.88,0.22)

# The kitchen window the projective light throws onto the yard at dusk, and the six faces of the
# pierced-tin lantern's cube map (a grid of holes: bright squares on the dark tin).
vorndle_texture(window_slide.png glass --size 128x128 --from 1,0.85,0.6 --to 1,0.95,0.8)
foreach(face 0 1 2 3 4 5)
    vorndle_texture(lantern_c0${face}.png checker --size 64x64 --cell 8 --from 0.04,0.03,0.02 --to 1,0.9,0.7)
endforeach()

# Meshes: meshtool [options] SOURCE OUTPUT
function(vorndle_mesh name)
    set(out ${VORNDLE_MODELS}/${name})
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNDLE_MODELS}
        COMMAND meshtool ${ARGN} ${out}
        DEPENDS meshtool ${VORNDLE_TEXTURES}/heights.png)
    set(VORNDLE_SURFACES ${VORNDLE_SURFACES} ${out} PARENT_SCOPE)
endfunction()

vorndle_mesh(ground.rmsh --flags position,normal,tangent,texcoord --size 400 --segments 128 --height 28
             plane:${VORNDLE_TEXTURES}/heights.png)
# A fence post, 1.8 m from half a metre below the ground, centred on its middle.
vorndle_mesh(post.rmsh --flags position,normal,tangent,texcoord --size 0.16,1.8,0.16 box)
vorndle_mesh(sphere.rmsh --radius 1 --segments 32 --rings 16 sphere)
vorndle_mesh(bird.rmsh --flags position,normal,texcoord,skin bird)

# The film's models, built by meshtool (meshtool --help lists each one's index bins and anchors:
# the sails' hub on the windmill at (0, 12.5, 3.2), the chimney top at (3, 9.5, 0)). Those a
# normal-mapped material may take carry tangents.
set(VORNDLE_TANGENTS --flags position,normal,tangent,texcoord)
vorndle_mesh(windmill.rmsh ${VORNDLE_TANGENTS} windmill)
vorndle_mesh(sails.rmsh ${VORNDLE_TANGENTS} sails)
vorndle_mesh(farmhouse.rmsh ${VORNDLE_TANGENTS} farmhouse)
vorndle_mesh(tree1.rmsh ${VORNDLE_TANGENTS} --seed 1 tree)
vorndle_mesh(tree2.rmsh ${VORNDLE_TANGENTS} --seed 2 tree)
vorndle_mesh(tree3.rmsh ${VORNDLE_TANGENTS} --seed 4 tree)
vorndle_mesh(rock1.rmsh ${VORNDLE_TANGENTS} --seed 1 rock)
vorndle_mesh(rock2.rmsh ${VORNDLE_TANGENTS} --seed 2 rock)
vorndle_mesh(rock3.rmsh ${VORNDLE_TANGENTS} --seed 3 rock)
# Two meadows of different plants, so neighbouring patches differ.
vorndle_mesh(meadow1.rmsh --seed 1 --size 12 --count 60 meadow)
vorndle_mesh(meadow2.rmsh --seed 2 --size 12 --count 60 meadow)

add_custom_target(vorndle_surfaces ALL DEPENDS ${VORNDLE_SURFACES})
