#!/usr/bin/env python3
"""Writes the production's three scene files (data/scenes/{intro,windmill,outro}.xml) from the
layout below: the valley's landmarks, the plants, the lights and the camera moves, timed to the
soundtrack's bars. Objects stand on the ground of the valley's height map, which texgen draws into
the build tree, so run it after a build:

    python3 content/scenes/genscenes.py [BUILD_DIR]

The scene files are committed; this script is their source. Times are demo beats (120 bpm, bars of
four beats; 106 and 224 start bars)."""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngio import read_png  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
BUILD = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build')


class Valley:
    """Heights of the ground mesh: one grey per vertex of a 128-cell grid over 400 m."""

    def __init__(self, path):
        self.width, self.height, channels, rows = read_png(path)
        self.grey = [[r[i * channels] / 255.0 for i in range(self.width)] for r in rows]

    def vertex(self, i, j):
        i = min(max(i, 0), self.width - 1)
        j = min(max(j, 0), self.height - 1)
        return -4.0 + 28.0 * self.grey[j][i]

    def __call__(self, x, z):
        # The grid's triangles (a, b, d) and (a, d, c) of each cell, as meshtool builds them.
        fx = (x + 200.0) / 400.0 * (self.width - 1)
        fz = (z + 200.0) / 400.0 * (self.height - 1)
        i, j = int(math.floor(fx)), int(math.floor(fz))
        u, v = fx - i, fz - j
        h00, h10, h01, h11 = self.vertex(i, j), self.vertex(i + 1, j), self.vertex(i, j + 1), self.vertex(i + 1, j + 1)
        # Rows of the picture run north (top) to south; the mesh's cells split along the same
        # diagonal either way within a few centimetres, so a bilinear blend is close enough.
        return (h00 * (1 - u) + h10 * u) * (1 - v) + (h01 * (1 - u) + h11 * u) * v


ground = Valley(os.path.join(BUILD, 'data', 'textures', 'heights.png'))

MILL = (0.0, -60.0)
FARM = (34.0, -18.0)
PI = math.pi


def f(v):
    s = '%.4f' % v
    s = s.rstrip('0').rstrip('.') if '.' in s else s
    return '0' if s in ('-0', '') else s


# ------------------------------------------------------------------------------------------ XML
def envelope(keys, kind=0):
    """keys: [(beat, value)] or [(beat, value, kind)]; kind 0 smooth (TCB), 3 linear, 4 stepped."""
    out = ['<envelope pre="1" post="1">']
    for k in keys:
        out.append('<key type="%d" time="%s" value="%s"/>' % (k[2] if len(k) > 2 else kind, f(k[0]), f(k[1])))
    out.append('</envelope>')
    return ''.join(out)


def ramp(keys):
    return envelope(keys, 3)


def transform(pos=None, rot=None, scale=None):
    parts = []
    if pos is not None:
        parts.append('<position x="%s" y="%s" z="%s"/>' % tuple(f(v) for v in pos))
    if rot is not None:
        parts.append('<rotation h="%s" p="%s" b="%s"/>' % tuple(f(v) for v in rot))
    if scale is not None:
        if not isinstance(scale, (tuple, list)):
            scale = (scale, scale, scale)
        parts.append('<scale x="%s" y="%s" z="%s"/>' % tuple(f(v) for v in scale))
    return '<transform>' + ''.join(parts) + '</transform>'


def animated_transform(x, y, z, h=None, p=None, b=None):
    out = '<transform><position><x>%s</x><y>%s</y><z>%s</z></position>' % (envelope(x), envelope(y), envelope(z))
    if h is not None:
        out += '<rotation><h>%s</h><p>%s</p><b>%s</b></rotation>' % (envelope(h), envelope(p), envelope(b))
    return out + '</transform>'


RECORD_CULLING = '--record-culling' in sys.argv


def recorded_enable(part, name):
    """The enable element for the occlusion recorded as <part>_<name>.xml, or '' where there is no
    recording: each visible span widened by a beat on either side so nothing pops in late."""
    path = os.path.join(ROOT, 'content', 'scenes', 'culling', '%s_%s.xml' % (part, name))
    if not os.path.exists(path):
        return ''
    import xml.etree.ElementTree as ET
    keys = sorted((float(k.get('time')), float(k.get('value'))) for k in ET.parse(path).getroot().iter('key'))
    # Visible spans [start, end), widened and merged; the last runs to the end of the film.
    spans = []
    for i, (t, v) in enumerate(keys):
        if v > 0.5:
            end = keys[i + 1][0] if i + 1 < len(keys) else 1e9
            spans.append([t - 1.0, end + 1.0])
    merged = []
    for span in spans:
        if merged and span[0] <= merged[-1][1]:
            merged[-1][1] = max(merged[-1][1], span[1])
        else:
            merged.append(span)
    switched = [(-1000, 0, 4)]
    for start, end in merged:
        switched.append((start, 1, 4))
        if end < 1e8:
            switched.append((end, 0, 4))
    return '<enable>%s</enable>' % envelope(switched)


def occluded(part, name, body):
    """A subtree switched by time from recorded occlusion: with --record-culling a culling node that
    measures it (the player writes <part>_<name>.xml into its working directory when the part
    ends); otherwise a group enabled by the recording."""
    if RECORD_CULLING:
        return '<culling filename="%s_%s.xml">%s</culling>' % (part, name, body)
    return '<group name="%s">%s%s</group>' % (name, recorded_enable(part, name), body)


class Scene:
    def __init__(self, part, comment):
        self.part = part
        self.lines = ['<?xml version="1.0"?>', '<!-- %s -->' % comment, '<scene>',
                      '  <shadowcasters><shadowmask name="sun" value="1"/></shadowcasters>']

    def add(self, text):
        self.lines.append('  ' + text)

    def comment(self, text):
        self.lines.append('  <!-- %s -->' % text)

    def write(self, name):
        self.lines.append('</scene>')
        path = os.path.join(ROOT, 'data', 'scenes', name)
        with open(path, 'w') as out:
            out.write('\n'.join(self.lines) + '\n')
        print('wrote', path)


def samplers(pairs):
    return '<samplerset>' + ''.join('<sampler name="%s" texture="%s"/>' % p for p in pairs) + '</samplerset>'


def uniforms(pairs):
    return '<uniforms>' + ''.join('<uniform name="%s" values="%s"/>' % p for p in pairs) + '</uniforms>'


def placements(mesh, bin_, items, casters=True, cullable=True):
    """items: [(position, heading, scale)]; one group per placement with the mesh's bin."""
    mask = ' shadowcastermask="sun"' if casters else ''
    cull = ' cullable="yes"' if cullable else ''
    out = []
    for pos, heading, scale in items:
        out.append('<group%s>%s<vao mesh="%s"%s><submodel indexbin="%d"%s%s/></vao></group>' % (
            mask, transform(pos, (heading, 0, 0), scale), mesh, mask, bin_, mask, cull))
    return ''.join(out)


TWO_SIDED = '<drawstate><rasterizer><culling enable="no"/></rasterizer></drawstate>'
# Crowns of leaf cards: the breeze, and the sun that shines through the leaves.
CROWN_UNIFORMS = [('time', 'time'), ('AtmosphereModel', 'atmosphere.uniforms')]


def material(name, program, sampler_pairs, body, casters=True, uniform_pairs=None, extra=''):
    mask = ' shadowcastermask="sun"' if casters else ''
    u = uniforms(uniform_pairs) if uniform_pairs else ''
    return '<material name="%s"%s><program name="%s"/>%s%s%s%s</material>' % (
        name, mask, program, samplers(sampler_pairs), u, extra, body)


def surface(name, diffuse, normal, mesh, bin_, items, smooth_slot, casters=True):
    """A normal-mapped surface whose smoothness follows one of the part's material slots."""
    return material(name, 'zul/surface', [('diffuse_map', diffuse), ('normal_map', normal)],
                    placements(mesh, bin_, items, casters), casters,
                    [('smoothness', 'material.smooth[%d]' % smooth_slot)])


def textured(name, diffuse, mesh, bin_, items, casters=True):
    return material(name, 'materials/textured', [('diffuse_map', diffuse)], placements(mesh, bin_, items, casters),
                    casters)


# ------------------------------------------------------------------------------------- the valley
def on_ground(x, z, sink=0.0):
    return (x, ground(x, z) - sink, z)


FARM_HEADING = 0.35  # the house's front (+Z) looks south-south-west, over the path


def turned(origin, heading, local):
    """A point of a model placed at origin with a static heading (which the loader negates)."""
    a = -heading
    x, y, z = local
    return (origin[0] + x * math.cos(a) + z * math.sin(a), origin[1] + y, origin[2] - x * math.sin(a) + z * math.cos(a))


def farm_point(local):
    return turned(on_ground(FARM[0], FARM[1], 0.4), FARM_HEADING, local)


rng = random.Random(1906)

TREES = []
# A copse west of the mill, a pair by the farm, single oaks in the fields, and woods on the rim.
for x, z in [(-34, -52), (-42, -66), (-29, -74), (-48, -48), (-55, -70), (52, -30), (49, -4), (18, -36),
             (-58, 8), (66, 22), (-22, 58), (30, 70), (-88, -30), (92, -60), (-120, 60), (118, 40),
             (140, -10), (-140, -20), (85, 110), (-95, 120),
             # the woods behind the windmill's hill, seen from the valley only over its shoulders
             (-70, -115), (40, -125), (-15, -140), (-40, -130), (15, -118), (62, -140), (-28, -158)]:
    TREES.append(((x, ground(x, z) - 0.3, z), rng.uniform(0, 2 * PI), rng.uniform(0.85, 1.2), rng.randrange(1, 4)))

ROCKS = []
for x, z in [(-12, -44), (14, -48), (-8, -72), (24, 6), (-30, 24), (8, 30), (40, 40), (-50, -20), (62, -40),
             (-18, -30), (5, 52), (-40, 70)]:
    ROCKS.append(((x, ground(x, z) - 0.35, z), rng.uniform(0, 2 * PI), rng.uniform(0.6, 1.6), rng.randrange(1, 4)))

# The path: from the meadow in the south, past the farm's yard, up the hill to the mill's door.
PATH = [(-14, 70), (-6, 48), (4, 28), (16, 10), (24, -4), (26, -14), (18, -26), (9, -38), (3, -49), (0, -55)]
# The fence follows the path's east side from the meadow to the yard.
FENCE = [(-10, 66), (-2, 46), (8, 27), (19, 11), (28, 0)]


def path_extrusion():
    """The path and the fence rails as extrusions along the same kind of curve."""
    n = len(PATH)
    xs = [(i, p[0]) for i, p in enumerate(PATH)]
    zs = [(i, p[1]) for i, p in enumerate(PATH)]
    ys = [(i, 0) for i in range(n)]
    shape = '<shape><point x="-1" y="0" nx="0" ny="1"/><point x="1" y="0" nx="0" ny="1"/></shape>'
    path = ('<shapeextrude meshname="path strip" segments="48" wrap.u="1" wrap.v="0.25">' +
            '<extrude start="0" stop="%d" radius="1.6">%s<position><x>%s</x><y>%s</y><z>%s</z></position></extrude>'
            % (n - 1, shape, envelope(xs, 0), envelope(ys, 0), envelope(zs, 0)) + '</shapeextrude>')
    # Rails: a squarish section at two heights along the fence line, a little above the ground.
    rails = []
    for height in (0.55, 1.05):
        pts = [(x, ground(x, z) + height, z) for x, z in fence_line()]
        m = len(pts)
        square = ('<shape><point x="-1" y="-1" nx="-1" ny="0"/><point x="-1" y="1" nx="-1" ny="0"/>'
                  '<point x="-1" y="1" nx="0" ny="1"/><point x="1" y="1" nx="0" ny="1"/>'
                  '<point x="1" y="1" nx="1" ny="0"/><point x="1" y="-1" nx="1" ny="0"/>'
                  '<point x="1" y="-1" nx="0" ny="-1"/><point x="-1" y="-1" nx="0" ny="-1"/></shape>')
        rails.append('<extrude start="0" stop="%d" radius="0.06">%s<position><x>%s</x><y>%s</y><z>%s</z></position></extrude>'
                     % (m - 1, square, envelope([(i, p[0]) for i, p in enumerate(pts)], 3),
                        envelope([(i, p[1]) for i, p in enumerate(pts)], 3),
                        envelope([(i, p[2]) for i, p in enumerate(pts)], 3)))
    rail = ('<shapeextrude meshname="fence rails" segments="6" wrap.u="1" wrap.v="0.5" singleIndexBin="yes">' +
            ''.join(rails) + '</shapeextrude>')
    return path, rail


def fence_line(steps=4):
    """Points along the fence, a post every quarter of each straight run, the last post included."""
    for (x0, z0), (x1, z1) in zip(FENCE, FENCE[1:]):
        for k in range(steps):
            t = k / steps
            yield x0 + (x1 - x0) * t, z0 + (z1 - z0) * t
    yield FENCE[-1]


def fence_posts():
    return [((x, ground(x, z) + 0.5, z), rng.uniform(-0.1, 0.1), 1) for x, z in fence_line()]


def sky():
    return ('<material name="sky"><program name="zul/sky"/>' + samplers([('cloud_map', 'clouds')]) +
            uniforms([('AtmosphereModel', 'atmosphere.uniforms'), ('cloudOffsets', 'cloudOffsets'),
                      ('cloudHeightScale', 'cloudHeightScale'), ('time', 'time')]) +
            '<drawstate><rasterizer><culling enable="no"/></rasterizer></drawstate>'
            '<vao mesh="sphere"><submodel indexbin="0"/></vao></material>')


def terrain():
    return material('ground', 'zul/terrain',
                    [('grass_map', 'turf'), ('meadow_map', 'turf_dry'), ('rock_map', 'rock'),
                     ('grass_normal', 'turf_normal'), ('detail_map', 'detail'), ('noise_map', 'noise')],
                    '<group name="terrain">%s<vao mesh="ground"><submodel indexbin="0"/></vao></group>'
                    % transform((0, -4, 0)), False, [('texScale', 'terrain.texCoord.scale'), ('detailParams', 'terrain.detailParams'),
                           ('smoothness', 'terrain.smooth'), ('EmissionSphere', 'EmissionSphere')])


# Quarter turns of the meadow patches by row and column: the pattern the foliage shaders made when
# they still chose each patch's turn from a hash of its cell.
MEADOW_TURNS = [[0, 1, 3, 3, 2], [1, 2, 3, 2, 3], [1, 1, 0, 0, 3], [1, 1, 1, 1, 0], [0, 3, 0, 2, 1]]


def meadow(part, centre, seedmeshes, grid=5, size=12.0):
    """Meadow patches around centre: grid x grid patches of `size` metres, each a quarter turn at
    random so the grid does not show. A patch draws only while the occlusion recorded for it saw a
    plant of it: most of the meadow lies behind the camera, beyond the distance where the plants
    thin out to nothing, or behind a hill, and every patch costs its vertices wherever it lies."""
    cells = []
    for row in range(grid):
        for col in range(grid):
            pos = (centre[0] + (col - 0.5 * (grid - 1)) * size, 0, centre[1] + (row - 0.5 * (grid - 1)) * size)
            turn = MEADOW_TURNS[row % len(MEADOW_TURNS)][col % len(MEADOW_TURNS[0])]
            name = 'meadow_%d_%d' % (col, row)
            # A patch's recording is read once, for all of its layers.
            enable = '' if RECORD_CULLING else recorded_enable(part, name)
            cells.append((name, enable, transform(pos, (turn * 0.5 * PI, 0, 0))))
    layers = []
    for mesh, petals in seedmeshes:
        for bin_, tex in ((0, 'turf'), (1, petals), (2, 'petal_buttercup')):
            layers.append(('%s %d' % (mesh, bin_), 'zul/petals' if bin_ == 1 else 'zul/foliage',
                           [('diffuse_map', tex), ('heights', 'heights')],
                           '<vao mesh="%s"><submodel indexbin="%d"/></vao>' % (mesh, bin_)))
    uniform_pairs = [('time', 'time'), ('AtmosphereModel', 'atmosphere.uniforms')]
    if RECORD_CULLING:
        # Measured a patch at a time, with every layer of it.
        return ''.join(occluded(part, name, ''.join(
            material(layer, program, pairs, '<group>%s%s</group>' % (place, vao), False, uniform_pairs, TWO_SIDED)
            for layer, program, pairs, vao in layers)) for name, _, place in cells)
    # Drawn a layer at a time, as one material each, every patch switched by its recording.
    return ''.join(material(layer, program, pairs, ''.join(
        '<group>%s<group>%s%s</group></group>' % (enable, place, vao) for _, enable, place in cells),
        False, uniform_pairs, TWO_SIDED) for layer, program, pairs, vao in layers)


def landmarks(s, windows_lit=False):
    """The windmill, its sails turning, the farmhouse, fence, path, trees and rocks."""
    mill = on_ground(MILL[0], MILL[1], 0.6)
    s.comment('The windmill on its hill, facing south over the valley; its sails turn about the hub.')
    s.add(surface('mill walls', 'plaster', 'plaster_normal', 'windmill', 0, [(mill, 0, 1)], 4))
    s.add(surface('mill cap', 'shingles', 'shingles_normal', 'windmill', 1, [(mill, 0, 1)], 5))
    s.add(surface('mill woodwork', 'planks', 'planks_normal', 'windmill', 2, [(mill, 0, 1)], 6))
    s.add(window_material('mill windows', 'windmill', 3, [(mill, 0, 1)], windows_lit))
    hub = (mill[0], mill[1] + 12.5, mill[2] + 3.2)
    turning = '<group name="sails" shadowcastermask="sun"><transform><position x="%s" y="%s" z="%s"/>' % tuple(
        f(v) for v in hub)
    turning += '<rotation><h>%s</h><p>%s</p><b>%s</b></rotation></transform>' % (
        envelope([(0, 0)]), envelope([(0, 0)]), envelope([(0, 0, 3), (264, -44, 3)]))
    for bin_, name, tex, normal, slot in ((0, 'sail frames', 'planks', 'planks_normal', 6),
                                          (1, 'sail cloth', 'canvas', None, 7)):
        body = '<vao mesh="sails" shadowcastermask="sun"><submodel indexbin="%d" shadowcastermask="sun"/></vao>' % bin_
        if normal:
            s.add('<material name="%s" shadowcastermask="sun"><program name="zul/surface"/>%s%s%s</material>' % (
                name, samplers([('diffuse_map', tex), ('normal_map', normal)]),
                uniforms([('smoothness', 'material.smooth[%d]' % slot)]), turning + body + '</group>'))
        else:
            s.add('<material name="%s" shadowcastermask="sun"><program name="zul/cloth"/>%s%s'
                  '<drawstate><rasterizer><culling enable="no"/></rasterizer></drawstate>%s</material>' % (
                      name, samplers([('diffuse_map', tex)]), uniforms([('AtmosphereModel', 'atmosphere.uniforms')]),
                      turning + body + '</group>'))

    farm = on_ground(FARM[0], FARM[1], 0.4)
    heading = FARM_HEADING
    s.comment('The farm: whitewashed walls, a tiled roof, a chimney that smokes.')
    s.add(surface('farm walls', 'plaster', 'plaster_normal', 'farmhouse', 0, [(farm, heading, 1)], 4))
    s.add(surface('farm roof', 'rooftiles', 'rooftiles_normal', 'farmhouse', 1, [(farm, heading, 1)], 8))
    s.add(surface('farm woodwork', 'planks', 'planks_normal', 'farmhouse', 2, [(farm, heading, 1)], 6))
    s.add(surface('farm chimney', 'brick', 'brick_normal', 'farmhouse', 3, [(farm, heading, 1)], 9))
    s.add(window_material('farm windows', 'farmhouse', 4, [(farm, heading, 1)], windows_lit))

    s.comment('Trees: three kinds of oak, shared by every placement.')
    woods = []
    for kind in range(1, 4):
        items = [(p, h, sc) for p, h, sc, k in TREES if k == kind]
        near = [it for it in items if it[0][2] > -100]
        far = [it for it in items if it[0][2] <= -100]
        s.add(surface('bark %d' % kind, 'bark', 'bark_normal', 'tree%d' % kind, 0, near, 10))
        s.add(material('crown %d' % kind, 'zul/canopy', [('diffuse_map', 'leaves')],
                       placements('tree%d' % kind, 1, near), True, CROWN_UNIFORMS, TWO_SIDED))
        if far:
            woods.append(surface('far bark %d' % kind, 'bark', 'bark_normal', 'tree%d' % kind, 0, far, 10,
                                 casters=False))
            woods.append(material('far crown %d' % kind, 'zul/canopy', [('diffuse_map', 'leaves')],
                                  placements('tree%d' % kind, 1, far, casters=False), False, CROWN_UNIFORMS,
                                  TWO_SIDED))
    s.comment('The woods behind the windmill\'s hill, hidden from most of the valley: switched by the '
              'visibility an occlusion query measured over the whole film (content/scenes/culling/).')
    s.add(occluded(s.part, 'woods', ''.join(woods)))
    for kind in range(1, 4):
        s.add(surface('rocks %d' % kind, 'rock', 'rock_normal', 'rock%d' % kind, 0,
                      [(p, h, sc) for p, h, sc, k in ROCKS if k == kind], 11))

    path, rails = path_extrusion()
    s.comment('The path (an extruded strip laid on the ground as a decal) and the fence beside it.')
    s.add(path)
    s.add(rails)
    s.add('<group name="decals">' + material('path', 'zul/decal', [('diffuse_map', 'path'), ('heights', 'heights')],
                                              '<vao mesh="path strip"><submodel indexbin="0"/></vao>', False,
                                              None, '<drawstate><rasterizer><culling enable="no"/></rasterizer></drawstate>')
          + '</group>')
    s.add(surface('fence posts', 'planks', 'planks_normal', 'post', 0, fence_posts(), 6))
    s.add(textured('fence rails', 'planks', 'fence rails', 0, [((0, 0, 0), 0, 1)]))


def window_material(name, mesh, bin_, items, lit):
    program = 'zul/window_lit' if lit else 'zul/window'
    return material(name, program, [('diffuse_map', 'glass')], placements(mesh, bin_, items), True,
                    [('time', 'time')])


def chimney_smoke(s, rate=12):
    top = farm_point((3, 9.7, 0))
    s.add('<group name="postlighting"><material name="chimney smoke"><program name="zul/smoke"/>' +
          samplers([('depth', 'backbuffer_depth')]) +
          uniforms([('viewport', 'viewport'), ('AtmosphereModel', 'atmosphere.uniforms')]) +
          '<group>%s<particlesystem maxparticles="200">' % transform(top) +
          '<smokeemitter radiusscale="0.5" radiusscalevariance="0.2" maxradius="2.5"><particleprops>'
          '<spawnrate value="%d"/><lifespan value="0.16"/><mass value="1"/><speed value="0.995" variance="0"/>'
          '<radius value="0.35" variance="0.1"/><energy value="1"/></particleprops></smokeemitter>' % rate +
          '</particlesystem></group></material></group>')


# ------------------------------------------------------------------------------------------ cameras
def look(eye, target):
    dx, dy, dz = target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]
    h = math.atan2(-dx, -dz)
    p = math.atan2(dy, math.hypot(dx, dz))
    return h, p


def camera(name, shots, fov=50, near=0.3, far=480):
    """shots: [(beat, eye, target)]: the camera glides through them (smooth keys)."""
    xs, ys, zs, hs, ps = [], [], [], [], []
    prev = None
    for beat, eye, target in shots:
        h, p = look(eye, target)
        h = PI - h
        if prev is not None:
            while h - prev > PI:
                h -= 2 * PI
            while h - prev < -PI:
                h += 2 * PI
        prev = h
        xs.append((beat, eye[0]))
        ys.append((beat, eye[1]))
        zs.append((beat, eye[2]))
        hs.append((beat, h))
        ps.append((beat, p))
    return '<camera name="%s" fov="%s" nearZ="%s" farZ="%s">%s</camera>' % (
        name, f(fov), f(near), f(far), animated_transform(xs, ys, zs, hs, ps, [(0, 0)]))


def above(x, z, height):
    return (x, ground(x, z) + height, z)


# -------------------------------------------------------------------------------------------- intro
def intro():
    s = Scene('intro', 'Before dawn in the valley: the moon low in the west, pollen in the still air, the sun '
              'rising behind the windmill\'s hill; the cameras glide low over the flowers.')
    s.add(sun(3.6, 0.004, 0.04, 5.0))
    s.add(daylight())
    s.add('<ambientlight name="night sky" color.r="0.12" color.g="0.15" color.b="0.26">'
          '<intensity>%s</intensity>%s</ambientlight>' % (ramp([(0, 1.0), (64, 1.4), (106, 1.8)]),
                                                          transform((0, 50, 0))))
    s.add('<directionallight name="moonlight" color.r="0.3" color.g="0.38" color.b="0.55">'
          '<intensity>%s</intensity>%s</directionallight>' % (ramp([(0, 1.2), (60, 0.9), (100, 0.0)]),
                                                              transform((0, 0, 0), (-1.71, -0.12, 0))))
    s.add(moon_disc((-400, 92, 66), 15))
    s.add(terrain())
    landmarks(s)
    s.add(meadow(s.part, (-6, 36), [('meadow1', 'petal_daisy'), ('meadow2', 'petal_poppy')]))
    # The sky last among the solid materials: the depth test leaves it only the pixels nothing covers.
    s.add(sky())
    chimney_smoke(s, 6)
    pollen(s)
    s.add(camera('meadow', [(0, above(22, 42, 1.4), above(-200, 40, 30)),
                            (16, above(16, 46, 1.2), above(-200, 46, 12)),
                            (32, above(10, 50, 1.0), above(-200, 52, 10))], fov=48))
    s.add(camera('flowers', [(32, above(-18, 50, 0.6), above(0, -60, 14)),
                             (48, above(-17, 43, 0.7), above(0, -60, 14)),
                             (64, above(-16, 36, 0.9), above(0, -60, 14))], fov=42))
    s.add(camera('valley', [(64, above(-40, 40, 6), above(0, -60, 10)),
                            (72, above(-30, 30, 16), above(0, -60, 10)),
                            (80, above(-14, 24, 22), above(0, -60, 10))], fov=55))
    s.add(camera('sunrise', [(80, above(6, 20, 1.6), above(0, -60, 13)),
                             (96, above(4, 8, 2.2), above(0, -60, 14)),
                             (106, above(2, 0, 2.8), above(0, -60, 14))], fov=45))
    s.write('intro.xml')


def sun(hour, haze, mist=0.0, mist_height=4.0):
    """The sun and the sky's light over the valley; the part's state file moves it through the day.
    The air fades what is far towards the sky's colour (haze, per metre), and mist lies in the
    valley's floor (its extinction per metre at the height of the meadow, thinning with height)."""
    return ('<atmoslight name="atmospherical light" shadowcastermask="sun"><atmosphere><latitude value="50"/>'
            '<timeofday value="%s"/><turbidity value="2.5"/>'
            '<aerial haze="%s" mist="%s" mistbase="0" mistheight="%s"><nightsky r="0.035" g="0.045" b="0.09"/></aerial>'
            '</atmosphere></atmoslight>' % (f(hour), f(haze), f(mist), f(mist_height)))


def daylight(intensity=0.35):
    """The sky's light from above and the meadow's bounced light from below, following the sun."""
    return ('<ambientlight name="daylight" sky="yes" ground.r="0.26" ground.g="0.3" ground.b="0.16" '
            'intensity="%s">%s</ambientlight>' % (f(intensity), transform((0, 50, 0))))


def glowing(s, name, position, maxparticles, emitter, operators=''):
    """Soft glowing specks added to the picture after the lights (a "particlesystem" group)."""
    s.add('<group name="particlesystem"><material name="%s"><program name="zul/particles"/>' % name +
          samplers([('depth', 'backbuffer_depth')]) + uniforms([('viewport', 'viewport')]) +
          '<group>%s<particlesystem maxparticles="%d">' % (transform(position), maxparticles) + emitter +
          operators + '</particlesystem></group></material></group>')


def moon_disc(pos, radius, name='moon disc'):
    return ('<material name="%s"><program name="zul/moon"/>%s<group name="%s">%s'
            '<vao mesh="sphere"><submodel indexbin="0"/></vao></group></material>' % (
                name, samplers([('noise_map', 'noise')]), name, transform(pos, None, radius)))


def pollen(s):
    glowing(s, 'pollen', above(-4, 40, 2.0), 300,
            '<sphereemitter radius="16" radiusvariance="6"><particleprops><spawnrate value="30"/><lifespan value="0.1"/>'
            '<mass value="1"/><speed value="0.999" variance="0"/><radius value="0.06" variance="0.03"/>'
            '<energy value="1"/></particleprops></sphereemitter>',
            '<radialforce radius="18" strength="0.02"/>')


# ----------------------------------------------------------------------------------------- windmill
def windmill():
    s = Scene('windmill', 'Full daylight: the windmill on its hill, sails turning and their shadow sweeping the slope, '
              'clouds drifting, the farm below with its smoking chimney; birds circle the hill.')
    s.add(sun(9, 0.0025))
    s.add(daylight())
    s.add('<ambientlight name="sky light" color.r="0.12" color.g="0.15" color.b="0.2">%s</ambientlight>'
          % transform((0, 50, 0)))
    s.add(terrain())
    landmarks(s)
    s.add(meadow(s.part, (-4, -30), [('meadow1', 'petal_buttercup'), ('meadow2', 'petal_cornflower')]))
    s.add(sky())
    chimney_smoke(s, 12)
    petals_falling(s)
    birds = os.path.join(ROOT, 'content', 'scenes', 'birds.xml')
    if os.path.exists(birds):
        s.add(open(birds).read().strip())
    mill_top = (MILL[0], ground(*MILL) + 11, MILL[1])
    # Morning: from the south-east, the sun over the right shoulder out of the frame.
    s.add(camera('mill wide', [(106, above(30, 34, 5), mill_top), (122, above(18, 22, 7), mill_top),
                               (138, above(6, 12, 8), mill_top), (186, above(-70, 20, 8), mill_top),
                               (202, above(-40, 30, 14), mill_top), (224, above(-20, 40, 18), mill_top)], fov=50))
    s.add(camera('farm', [(122, above(62, 8, 3), above(FARM[0], FARM[1], 4)),
                          (138, above(58, 2, 4), above(FARM[0], FARM[1], 5)),
                          (202, above(10, 20, 2.5), above(FARM[0], FARM[1], 4)),
                          (218, above(4, 24, 2.2), above(20, -30, 6))], fov=50))
    hub = (MILL[0], ground(*MILL) + 12.5, MILL[1] + 3.2)
    s.add(camera('sails', [(138, above(18, -44, 3), hub), (154, above(14, -38, 3.5), hub),
                           (170, above(8, -40, 2.5), hub), (186, above(4, -42, 2.2), hub)], fov=40))
    s.add(camera('slope', [(154, above(-30, -28, 2), mill_top), (170, above(-26, -34, 2.5), mill_top),
                           (186, above(-22, -40, 3), mill_top)], fov=45))
    s.add(camera('path', [(218, above(-8, 54, 1.8), mill_top), (224, above(-5, 46, 2.0), mill_top)], fov=50))
    s.write('windmill.xml')


def petals_falling(s):
    """Blossom blown off the trees by the farm: a rain emitter drifting in the breeze."""
    glowing(s, 'blossom', above(50, -18, 9), 150,
            '<rainemitter min.x="-6" min.y="-1" min.z="-6" max.x="6" max.y="1" max.z="6"><particleprops>'
            '<spawnrate value="14"/><lifespan value="0.12"/>'
            '<mass value="1"/><speed value="0.3" variance="0.1"/><radius value="0.05" variance="0.02"/>'
            '<energy value="1"/></particleprops></rainemitter>',
            '<gravity strength="0.08"/>')


# -------------------------------------------------------------------------------------------- outro
def outro():
    s = Scene('outro', 'Sunset into dusk: warm light fading to blue, lamps and fireflies lighting up around the '
              'farm, the moon rising; the title and credits fade in over the end.')
    s.add(sun(19, 0.003, 0.01, 3.0))
    s.add(daylight())
    s.add('<ambientlight name="dusk sky" color.r="0.3" color.g="0.28" color.b="0.38">%s</ambientlight>'
          % transform((0, 50, 0)))
    s.add(moon_disc((205, 78, -360), 12, 'moon'))
    s.add(terrain())
    landmarks(s, windows_lit=True)
    s.add(sky())
    chimney_smoke(s, 8)
    h = FARM_HEADING
    # The lamp by the door: a point light with a glowing speck, its warm pool on the yard
    # (EmissionSphere); a porch spot over the bench; the kitchen window projected onto the yard
    # (projective); the window's own glow (area); a string of lights under the eaves (linear); a
    # pierced-tin lantern by the path (cube). They come on one after another as the light goes.
    s.add('<pointlight name="door lamp" radius="10" intensity="3" particleradius="0.25" color.r="1" color.g="0.62" '
          'color.b="0.3"><intensity>%s</intensity>%s</pointlight>' % (ramp([(224, 0), (232, 0), (238, 3)]),
                                                                      transform(farm_point((-1.9, 2.6, 3.8)))))
    s.add('<group name="EmissionSphere">%s</group>' % transform(farm_point((-1.5, 0.2, 5.5))))
    s.add('<spotlight name="porch spot" color.r="1" color.g="0.75" color.b="0.45" radius="9" coneangle="0.5" '
          'edgeangle="0.25"><intensity>%s</intensity>%s</spotlight>' % (
              ramp([(224, 0), (236, 0), (240, 2.5)]), transform(farm_point((2.5, 3.4, 4.3)), (h, -1.3, 0))))
    s.add('<projectivelight name="window light" color.r="1" color.g="0.7" color.b="0.4" radius="14" fov="60" '
          'coneangle="0.6" edgeangle="0.1" texture="window_slide"><intensity>%s</intensity>%s</projectivelight>' % (
              ramp([(224, 0), (230, 0), (236, 3)]), transform(farm_point((1.4, 2.2, 2.6)), (h, -0.45, 0))))
    s.add('<arealight name="window glow" color.r="1" color.g="0.6" color.b="0.3" radius="3.5">'
          '<intensity>%s</intensity>%s</arealight>' % (ramp([(224, 0), (230, 0), (236, 1.2)]),
                                                       transform(farm_point((3.6, 1.8, 4.2)))))
    s.add('<linearlight name="eave lights" color.r="1" color.g="0.8" color.b="0.5" radius="3" width="8">'
          '<intensity>%s</intensity>%s</linearlight>' % (ramp([(224, 0), (238, 0), (242, 1.5)]),
                                                         transform(farm_point((0, 3.9, 4.2)), (h, 0, 0))))
    s.add('<cubelight name="tin lantern" color.r="1" color.g="0.7" color.b="0.35" radius="7" texture="lantern">'
          '<intensity>%s</intensity>%s</cubelight>' % (ramp([(224, 0), (234, 0), (240, 3)]),
                                                       transform(above(17, 9, 1.3))))
    fireflies(s)
    sparks(s)
    door = farm_point((-1.5, 1.8, 4.5))
    s.add(camera('dusk farm', [(224, above(8, 18, 2.2), door), (234, above(12, 12, 2.4), door),
                               (244, above(16, 7, 2.6), door)], fov=50))
    s.add(camera('moonrise', [(244, above(10, 14, 3), above(40, -30, 10)),
                              (254, above(0, 26, 5), above(40, -30, 12)),
                              (264, above(-12, 40, 8), above(40, -30, 14))], fov=50))
    s.write('outro.xml')


def sparks(s):
    """The fireflies' glimmer: tiny glowing specks over the grass by the path, drawn after the lights."""
    glowing(s, 'glimmer', above(12, 18, 1.2), 160,
            '<sphereemitter radius="12" radiusvariance="4"><particleprops><spawnrate><envelope pre="1" post="1">'
            '<key type="3" time="224" value="0"/><key type="3" time="232" value="0"/><key type="3" time="240" value="20"/>'
            '</envelope></spawnrate><lifespan value="0.15"/><mass value="1"/><speed value="0.999" variance="0"/>'
            '<radius value="0.05" variance="0.02"/><energy value="1"/></particleprops></sphereemitter>')


def fireflies(s):
    """Fireflies: small point lights wandering over the meadow by the fence, each a glowing speck."""
    r = random.Random(77)
    for i in range(10):
        cx, cz = r.uniform(2, 24), r.uniform(6, 30)
        xs, ys, zs = [], [], []
        for k in range(9):
            beat = 224 + k * 5
            x, z = cx + r.uniform(-3, 3), cz + r.uniform(-3, 3)
            xs.append((beat, x))
            zs.append((beat, z))
            ys.append((beat, ground(x, z) + r.uniform(0.5, 1.8)))
        on = 232 + r.uniform(0, 10)
        s.add('<pointlight name="firefly %d" radius="2.5" particleradius="0.08" color.r="0.75" color.g="1" '
              'color.b="0.3"><intensity>%s</intensity>%s</pointlight>' % (
                  i, ramp([(224, 0), (on, 0), (on + 2, 1.5), (on + 5, 0.6), (on + 8, 1.5)]),
                  animated_transform(xs, ys, zs)))


if __name__ == '__main__':
    intro()
    windmill()
    outro()
