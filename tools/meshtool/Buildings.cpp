// The built models: the tower mill and its sails, the farmhouse and the fence.
#include "ModelKit.h"
#include "Models.h"

#include <cmath>

using namespace modelkit;

namespace {

// A box in a wall's frame (x right, y up, z out of the wall, unit axes): centre and half-extents
// in that frame.
void wallBox(Geometry& g, const Frame& wall, const Vec3& centre, const Vec3& half) {
    addBox(g, {wall.point(centre), wall.x * half.x, wall.y * half.y, wall.z * half.z});
}

// A window on a wall whose frame has its origin at the window's centre on the wall surface: a
// proud frame with a sill and a cross of glazing bars, the pane just in front of the wall, and
// optionally a pair of plank shutters folded back against the wall.
void addWindow(Geometry& wood, Geometry& glass, const Frame& wall, float w, float h, bool shutters) {
    const float bar = 0.08f, depth = 0.05f;
    for (float side : {-1.0f, 1.0f})
        wallBox(wood, wall, {side * (w * 0.5f + bar * 0.5f), 0, depth - 0.01f},
                {bar * 0.5f, h * 0.5f + bar, depth});
    wallBox(wood, wall, {0, h * 0.5f + bar * 0.5f, depth - 0.01f}, {w * 0.5f, bar * 0.5f, depth});
    wallBox(wood, wall, {0, -h * 0.5f - 0.035f, 0.06f}, {w * 0.5f + bar + 0.05f, 0.035f, 0.08f});
    wallBox(wood, wall, {0, 0, 0.03f}, {0.018f, h * 0.5f, 0.018f});
    wallBox(wood, wall, {0, h * 0.12f, 0.03f}, {w * 0.5f, 0.018f, 0.018f});
    float gx = w * 0.5f + 0.01f, gy = h * 0.5f + 0.01f;
    addQuad(glass, wall.point({-gx, -gy, 0.012f}), wall.point({gx, -gy, 0.012f}),
            wall.point({gx, gy, 0.012f}), wall.point({-gx, gy, 0.012f}));
    if (!shutters)
        return;
    for (float side : {-1.0f, 1.0f}) {
        float x = side * (w * 0.75f + bar + 0.02f);
        wallBox(wood, wall, {x, 0, 0.025f}, {w * 0.25f, h * 0.5f + 0.04f, 0.02f});
        for (float y : {-0.3f, 0.3f})
            wallBox(wood, wall, {x, y * h, 0.055f}, {w * 0.25f - 0.03f, 0.045f, 0.012f});
    }
}

// A ledged plank door on a wall whose frame has its origin at the door's bottom centre.
void addDoor(Geometry& wood, const Frame& wall, float w, float h) {
    for (float side : {-1.0f, 1.0f})
        wallBox(wood, wall, {side * (w * 0.5f + 0.06f), h * 0.5f, 0.05f}, {0.06f, h * 0.5f, 0.06f});
    wallBox(wood, wall, {0, h + 0.06f, 0.05f}, {w * 0.5f + 0.14f, 0.07f, 0.07f});
    int planks = std::max(3, int(std::lround(w / 0.2f)));
    float pw = w / float(planks);
    for (int i = 0; i < planks; ++i)
        wallBox(wood, wall, {-w * 0.5f + pw * (float(i) + 0.5f), h * 0.5f, 0.02f},
                {pw * 0.5f - 0.004f, h * 0.5f, 0.02f + 0.006f * float(i % 2)});
    for (float y : {0.22f, 0.78f})
        wallBox(wood, wall, {0, y * h, 0.05f}, {w * 0.5f - 0.04f, 0.06f, 0.018f});
    // The brace climbs from the lower ledge at the hinge side to the upper ledge at the latch side.
    Vec3 from = wall.point({-w * 0.5f + 0.12f, 0.22f * h + 0.06f, 0.05f});
    Vec3 to = wall.point({w * 0.5f - 0.12f, 0.78f * h - 0.06f, 0.05f});
    addBeam(wood, from, to, wall.z.cross(to - from), 0.1f, 0.036f);
    wallBox(wood, wall, {w * 0.5f - 0.13f, 0.47f * h, 0.08f}, {0.018f, 0.06f, 0.02f});
}

// The tower: eight flat sides, a face (not a corner) towards +Z, radius to the corners falling
// from 3.2 m at the ground to 2.2 m at y = 11.
constexpr int towerSides = 8;
constexpr float towerTop = 11.0f;
constexpr float towerBaseRadius = 3.2f, towerTopRadius = 2.2f;

float towerRadius(float y) {
    return towerBaseRadius + (towerTopRadius - towerBaseRadius) * y / towerTop;
}

Vec3 cornerDirection(int corner) {
    float a = (float(corner) - 0.5f) * 2 * pi / float(towerSides);
    return {std::sin(a), 0, std::cos(a)};
}

// The frame of tower face `face` (0 faces +Z, 2 faces +X) at height y: origin on the face's centre
// line, x along the face to the right seen from outside, y up the sloping face, z out of it.
Frame towerFace(int face, float y) {
    float a = float(face) * 2 * pi / float(towerSides);
    Vec3 out = {std::sin(a), 0, std::cos(a)};
    float apothem = std::cos(pi / float(towerSides));
    float lean = (towerTopRadius - towerBaseRadius) / towerTop * apothem;
    Frame f;
    f.origin = out * (towerRadius(y) * apothem) + Vec3(0, y, 0);
    f.x = Vec3(0, 1, 0).cross(out);
    f.y = (Vec3(0, 1, 0) + out * lean).normalized();
    f.z = f.x.cross(f.y);
    return f;
}

// The stage around the tower at y ≈ 4: planks on brackets with a railing. It leaves out the front
// face and narrows towards it, where the sails sweep past just in front of the tower.
void addGallery(Geometry& wood) {
    const float floorY = 3.92f, floorTop = 4.05f, railTop = 5.0f;
    float inner = towerRadius(floorY) - 0.08f;
    auto outer = [&](int corner) {
        int c = (corner + towerSides) % towerSides;
        float reach = (c == 0 || c == 1) ? 0.3f : 0.9f;
        return cornerDirection(c) * (towerRadius(floorY) + reach / std::cos(pi / float(towerSides)));
    };
    for (int face = 1; face < towerSides; ++face) {
        Vec3 y0(0, floorY, 0);
        addPrism(wood,
                 {cornerDirection(face) * inner + y0, outer(face) + y0, outer(face + 1) + y0,
                  cornerDirection(face + 1) * inner + y0},
                 {0, floorTop - floorY, 0});
        Vec3 a = outer(face) * 0.985f, b = outer(face + 1) * 0.985f;
        for (float y : {railTop - 0.05f, 4.55f})
            addBeam(wood, a + Vec3(0, y, 0), b + Vec3(0, y, 0), {0, 1, 0}, y > 4.8f ? 0.08f : 0.06f, 0.05f);
        Vec3 mid = (a + b) * 0.5f;
        addBeam(wood, mid + Vec3(0, floorTop, 0), mid + Vec3(0, railTop, 0), b - a, 0.07f, 0.07f);
    }
    for (int corner = 1; corner <= towerSides; ++corner) {
        Vec3 top = outer(corner) * 0.985f;
        addBeam(wood, top + Vec3(0, floorTop, 0), top + Vec3(0, railTop + 0.04f, 0),
                cornerDirection(corner + 2), 0.09f, 0.09f);
        if (corner % towerSides < 2)
            continue;
        Vec3 foot = cornerDirection(corner) * (towerRadius(3.0f) - 0.05f) + Vec3(0, 3.0f, 0);
        Vec3 head = outer(corner) * 0.8f + Vec3(0, floorY, 0);
        addBeam(wood, foot, head, cornerDirection(corner + 2), 0.1f, 0.1f);
    }
}

} // namespace

void buildWindmill(std::vector<Geometry>& bins, const ModelOptions&) {
    Geometry& walls = bins[WindmillWalls];
    Geometry& cap = bins[WindmillCap];
    Geometry& wood = bins[WindmillWood];
    Geometry& glass = bins[WindmillGlass];
    const float phase = -pi / float(towerSides);
    const float ground = -0.8f;

    addFrustum(walls, {0, ground, 0}, {0, towerTop, 0}, towerRadius(ground), towerTopRadius, towerSides,
               phase, true, false, false);
    // A plinth a little proud of the wall, and a step before the door.
    addFrustum(walls, {0, ground, 0}, {0, 0.25f, 0}, towerRadius(ground) + 0.14f, towerRadius(0.25f) + 0.14f,
               towerSides, phase, true, false, true);
    wallBox(walls, towerFace(0, 0), {0, -0.3f, 0.45f}, {0.75f, 0.55f, 0.32f});

    // The cap: an eave band and an ogee dome of shingles, closed underneath.
    const float eaveRadius = 2.72f;
    addFrustum(cap, {0, 10.9f, 0}, {0, 11.25f, 0}, eaveRadius, eaveRadius, 16, 0, true, true, false);
    addTube(cap,
            {{{0, 11.25f, 0}, eaveRadius},
             {{0, 11.9f, 0}, 2.6f},
             {{0, 12.6f, 0}, 2.28f},
             {{0, 13.2f, 0}, 1.78f},
             {{0, 13.65f, 0}, 1.12f},
             {{0, 13.95f, 0}, 0.5f},
             {{0, 14.05f, 0}, 0}},
            16, 9);

    // Woodwork: the curb under the cap, a finial, the windshaft in its housing, the tail pole.
    addFrustum(wood, {0, 10.7f, 0}, {0, 10.95f, 0}, towerRadius(10.7f) + 0.08f, towerTopRadius + 0.08f,
               towerSides, phase, true, true, false);
    addFrustum(wood, {0, 13.9f, 0}, {0, 14.55f, 0}, 0.07f, 0.05f, 6, 0, false, false, false);
    addBlob(wood, {0, 14.62f, 0}, {0.13f, 0.13f, 0.13f}, 2, 0, 1, 1);
    // The housing stays clear of the sails' hub block (0.42 m deep behind the hub); only the
    // windshaft reaches forward to the hub.
    addBox(wood, Frame::at({0, windmillHub.y, 2.0f}).scaled({0.62f, 0.66f, 0.6f}));
    addFrustum(wood, {0, windmillHub.y, 2.5f}, windmillHub, 0.2f, 0.2f, 12, 0, false, false, true);
    addFrustum(wood, {0, windmillHub.y, 2.6f}, {0, windmillHub.y, 2.72f}, 0.3f, 0.3f, 12, 0, false, true,
               true);
    Vec3 poleTop = {0, 11.1f, -2.45f}, poleFoot = {0, 5.1f, -3.62f};
    addBeam(wood, poleTop, poleFoot, {1, 0, 0}, 0.16f, 0.16f);
    for (float side : {-1.0f, 1.0f})
        addBeam(wood, lerp(poleTop, poleFoot, 0.3f), {side * 1.1f, 11.0f, -2.3f}, {0, 0, 1}, 0.09f, 0.09f);

    addGallery(wood);
    addDoor(wood, towerFace(0, 0.25f), 1.0f, 2.0f);
    addDoor(wood, towerFace(4, 4.05f), 0.8f, 1.75f);
    addWindow(wood, glass, towerFace(0, 7.0f), 0.6f, 0.8f, false);
    addWindow(wood, glass, towerFace(2, 2.4f), 0.6f, 0.8f, false);
    addWindow(wood, glass, towerFace(6, 8.2f), 0.6f, 0.8f, false);
    addWindow(wood, glass, towerFace(4, 8.8f), 0.5f, 0.7f, false);
    // Corbels under the eave of the cap.
    for (int k = 0; k < 16; ++k) {
        float a = (float(k) + 0.5f) * 2 * pi / 16;
        Frame corbel =
            Frame::turned({std::sin(a) * (eaveRadius - 0.2f), 10.8f, std::cos(a) * (eaveRadius - 0.2f)}, a);
        addBox(wood, corbel.scaled({0.07f, 0.1f, 0.22f}));
    }
}

// The sails turn clockwise seen from the front (the scene winds their bank angle down), so each
// arm carries its cloth on the trailing side of the stock and a narrow leading board ahead of it.
void buildSails(std::vector<Geometry>& bins, const ModelOptions&) {
    Geometry& wood = bins[SailsWood];
    Geometry& cloth = bins[SailsCloth];
    const float tip = 10.0f, latticeStart = 2.4f, clothStart = tip - 7.0f;
    const float leading = -0.5f, trailing = 1.45f; // lattice edges across the arm, from the stock
    const float barZ = 0.05f, barDepth = 0.06f;
    const float clothZ = barZ - barDepth * 0.5f - 0.05f;

    addBox(wood, Frame::at({0, 0, 0}).scaled({0.52f, 0.52f, 0.42f}));
    addFrustum(wood, {0, 0, 0.42f}, {0, 0, 0.62f}, 0.3f, 0.2f, 8, 0, false, false, true);
    for (int arm = 0; arm < 4; ++arm) {
        float a = float(arm) * pi * 0.5f;
        Vec3 along = {std::cos(a), std::sin(a), 0};
        Vec3 across = Vec3(0, 0, 1).cross(along);
        auto at = [&](float r, float s, float z) { return along * r + across * s + Vec3(0, 0, z); };

        addFrustum(wood, at(0.3f, 0, 0), at(tip + 0.15f, 0, 0), 0.12f * std::sqrt(2.0f),
                   0.07f * std::sqrt(2.0f), 4, pi * 0.25f, true, false, true);
        for (float s : {leading, trailing})
            addBeam(wood, at(latticeStart, s, barZ), at(tip, s, barZ), {0, 0, 1}, barDepth + 0.02f, 0.07f);
        for (float r = latticeStart; r <= tip + 0.01f; r += 0.8f) {
            float rr = std::min(r, tip - 0.04f);
            addBeam(wood, at(rr, leading - 0.04f, barZ), at(rr, trailing + 0.04f, barZ), {0, 0, 1}, barDepth,
                    0.05f);
        }
        addBeam(wood, at(latticeStart, -0.31f, barZ - 0.02f), at(tip, -0.31f, barZ - 0.02f), {0, 0, 1},
                0.025f, 0.34f);

        // The canvas billows back, most in the middle of the panel and least at its lashed edges.
        const int columns = 5, rows = 10;
        std::vector<Vec3> grid;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                float u = float(c) / float(columns - 1), v = float(r) / float(rows - 1);
                float billow = 0.2f * std::sin(pi * u) * (0.4f + 0.6f * std::sin(pi * v));
                grid.push_back(at(clothStart + (tip - clothStart - 0.1f) * v, 0.16f + (trailing - 0.2f) * u,
                                  clothZ - billow));
            }
        addSheet(cloth, grid, columns, 0.012f);
    }
}

void buildFarmhouse(std::vector<Geometry>& bins, const ModelOptions&) {
    Geometry& walls = bins[FarmhouseWalls];
    Geometry& roof = bins[FarmhouseRoof];
    Geometry& wood = bins[FarmhouseWood];
    Geometry& chimney = bins[FarmhouseChimney];
    Geometry& glass = bins[FarmhouseGlass];
    const float hx = 5.0f, hz = 3.5f, eave = 4.0f, ground = -0.8f, overhang = 0.5f;
    // The underside of the roof runs from the wall tops up to the ridge line; its top, a sheet
    // 0.18 m thick, meets at the ridge at y = 7.5.
    const float ridgeUnder = 7.25f;
    const float pitch = (ridgeUnder - eave) / hz;
    const float thickness = 0.18f;
    auto under = [&](float z) { return ridgeUnder - pitch * std::fabs(z); };

    addQuad(walls, {-hx, ground, hz}, {hx, ground, hz}, {hx, eave, hz}, {-hx, eave, hz});
    addQuad(walls, {hx, ground, -hz}, {-hx, ground, -hz}, {-hx, eave, -hz}, {hx, eave, -hz});
    addPolygon(walls,
               {{hx, ground, hz}, {hx, ground, -hz}, {hx, eave, -hz}, {hx, under(0), 0}, {hx, eave, hz}});
    addPolygon(
        walls,
        {{-hx, ground, -hz}, {-hx, ground, hz}, {-hx, eave, hz}, {-hx, under(0), 0}, {-hx, eave, -hz}});
    addBox(
        walls,
        Frame::at({0, (ground + 0.3f) * 0.5f, 0}).scaled({hx + 0.07f, (0.3f - ground) * 0.5f, hz + 0.07f}));

    // Two roof sheets, each running a little past the ridge into the other so no sky shows
    // through the joint, and a ridge board over the top.
    const float pastRidge = 0.12f;
    float lift = thickness * std::sqrt(1 + pitch * pitch);
    for (float side : {-1.0f, 1.0f}) {
        auto plane = [&](float z) { return ridgeUnder - pitch * side * z; };
        float zr = -side * pastRidge, ze = side * (hz + overhang);
        addPrism(roof,
                 {{-hx - overhang, plane(zr), zr},
                  {hx + overhang, plane(zr), zr},
                  {hx + overhang, plane(ze), ze},
                  {-hx - overhang, plane(ze), ze}},
                 Vec3(0, 1, side * pitch).normalized() * thickness);
    }
    float ridgeTop = ridgeUnder + lift;
    addBeam(roof, {-hx - overhang - 0.05f, ridgeTop - 0.03f, 0}, {hx + overhang + 0.05f, ridgeTop - 0.03f, 0},
            {0, 1, 1}, 0.2f, 0.2f);

    // The chimney rises through the roof at x = 3 to a capped top whose centre is
    // farmhouseChimneyTop = (3, 9.5, 0).
    const Vec3 top = farmhouseChimneyTop;
    addBox(chimney, Frame::at({top.x, 7.4f, top.z}).scaled({0.4f, 9.25f - 7.4f, 0.4f}));
    addBox(chimney, Frame::at({top.x, top.y - 0.125f, top.z}).scaled({0.48f, 0.125f, 0.48f}));

    // Timber: corner posts, wall plates under the eaves, the gables' framing and barge boards.
    for (float sx : {-1.0f, 1.0f})
        for (float sz : {-1.0f, 1.0f})
            addBox(wood, Frame::at({sx * hx, 1.85f, sz * hz}).scaled({0.13f, 2.15f, 0.13f}));
    for (float sz : {-1.0f, 1.0f})
        addBox(wood, Frame::at({0, eave - 0.1f, sz * (hz + 0.04f)}).scaled({hx, 0.1f, 0.08f}));
    for (float sx : {-1.0f, 1.0f}) {
        float x = sx * (hx + 0.04f);
        addBox(wood, Frame::at({x, eave - 0.1f, 0}).scaled({0.08f, 0.1f, hz}));
        for (float sz : {-1.0f, 1.0f}) {
            // Braces climb from the tie beam towards the apex on either side of the attic window.
            addBeam(wood, {x, eave + 0.05f, sz * 2.4f}, {x, under(0.55f) - 0.1f, sz * 0.55f}, {1, 0, 0},
                    0.08f, 0.14f);
            float bx = sx * (hx + overhang + 0.03f);
            addBeam(wood, {bx, under(hz + overhang) + 0.05f, sz * (hz + overhang)}, {bx, under(0) + 0.12f, 0},
                    {0, 1, 0}, 0.3f, 0.06f);
        }
    }

    // The front (+Z): door with a small canopy, three shuttered windows and a bench.
    Frame front = Frame::at({0, 0, hz});
    Frame back = Frame::turned({0, 0, -hz}, pi);
    Frame east = Frame::turned({hx, 0, 0}, pi * 0.5f);
    Frame west = Frame::turned({-hx, 0, 0}, -pi * 0.5f);
    const float sill = 0.3f; // top of the plinth and of the door step
    addDoor(wood, front.moved({-1.0f, sill, 0}), 1.1f, 2.1f);
    addBox(wood, front.moved({-1.0f, sill - 0.35f, 0.3f}).scaled({0.8f, 0.35f, 0.3f}));
    Frame hood = front.moved({-1.0f, 2.85f, 0});
    addPrism(wood,
             {hood.point({-0.85f, 0, 0}), hood.point({0.85f, 0, 0}), hood.point({0.85f, -0.28f, 0.75f}),
              hood.point({-0.85f, -0.28f, 0.75f})},
             {0, 0.06f, 0});
    for (float s : {-0.7f, 0.7f})
        addBeam(wood, hood.point({s, -0.65f, 0.02f}), hood.point({s, -0.2f, 0.62f}), {1, 0, 0}, 0.07f, 0.07f);
    for (float x : {-3.4f, 1.4f, 3.6f})
        addWindow(wood, glass, front.moved({x, 1.8f, 0}), 0.9f, 1.15f, true);
    for (float x : {-2.6f, 2.4f})
        addWindow(wood, glass, back.moved({x, 1.8f, 0}), 0.9f, 1.15f, true);
    addWindow(wood, glass, east.moved({0, 1.8f, 0}), 0.8f, 1.05f, false);
    addWindow(wood, glass, east.moved({0, 5.25f, 0}), 0.55f, 0.65f, false);
    addWindow(wood, glass, west.moved({0, 5.25f, 0}), 0.55f, 0.65f, false);
    Frame bench = front.moved({2.5f, 0, 0.32f});
    addBox(wood, bench.moved({0, 0.45f, 0}).scaled({0.8f, 0.035f, 0.2f}));
    for (float s : {-0.62f, 0.62f})
        addBox(wood, bench.moved({s, 0.02f, 0}).scaled({0.04f, 0.4f, 0.16f}));
}

// One 4 m section: a weathered post at x = 0 and two rails nailed to its front that run on to
// x = 4, where the next section's post takes them.
void buildFence(std::vector<Geometry>& bins, const ModelOptions& o) {
    Geometry& wood = bins[0];
    Random rng(o.seed * 2654435761u + 11);
    // The post never leans back from the rails, or a gap would open behind them.
    Vec3 lean = {rng.range(-0.03f, 0.03f), 0, rng.range(-0.008f, 0.02f)};
    float twist = rng.range(-0.08f, 0.08f);
    const float postTop = 1.15f;
    Vec3 foot = {0, -0.6f, 0}, head = Vec3(0, postTop, 0) + lean;
    addFrustum(wood, foot, head, 0.1f, 0.088f, 4, pi * 0.25f + twist, true, false, false);
    addFrustum(wood, head, head + Vec3(0, 0.07f, 0) + lean * 0.1f, 0.088f, 0.03f, 4, pi * 0.25f + twist, true,
               false, true);
    for (float y : {0.42f, 0.9f}) {
        float roll = rng.range(-0.06f, 0.06f);
        Vec3 side = Vec3(0, std::cos(roll), std::sin(roll));
        addBeam(wood, {0, y, 0.085f}, {4, y, 0.085f}, side, 0.12f, 0.05f);
    }
}
