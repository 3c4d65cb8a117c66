#pragma once

#include "Geometry.h"

#include <cstdint>
#include <vector>

// The building blocks of meshtool's procedural models: a seeded random source, smooth value noise,
// frames that place parts, and primitives that append triangles to a Geometry. Every primitive
// writes a position, normal and texture coordinate for each vertex it adds and winds its triangles
// counter-clockwise seen from the side its normals face. Texture coordinates are metres × 0.5 (a
// 256-pixel tiling picture covers 2 m) unless a primitive says otherwise.
namespace modelkit {

constexpr float pi = 3.14159265f;
constexpr float uvPerMetre = 0.5f;

// A small deterministic generator (splitmix64): the same seed gives the same model on every
// machine, which the build relies on for reproducible assets.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint32_t next();
    float unit(); // [0, 1)
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
    int between(int lo, int hi); // lo..hi inclusive
    // A seed for a sub-part, so that adding draws to one part does not reshuffle the others.
    uint32_t fork() { return next() ^ 0x9e3779b9u; }

private:
    uint64_t state_;
};

// Smooth value noise in [-1, 1] on the integer lattice, a different field for every seed.
float noise(const Vec3& p, uint32_t seed);
// Octaves of noise at doubling frequency and halving weight, normalised back to about [-1, 1].
float fractalNoise(const Vec3& p, uint32_t seed, int octaves);

// An origin and three axes. The axes need be neither unit nor orthogonal: a box's frame carries
// its half-extents and any shear, and the primitives take their normals from the placed faces.
struct Frame {
    Vec3 origin;
    Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};

    Vec3 point(const Vec3& p) const { return origin + x * p.x + y * p.y + z * p.z; }
    Vec3 direction(const Vec3& d) const { return x * d.x + y * d.y + z * d.z; }

    static Frame at(const Vec3& origin);
    // Turned by `angle` radians about +Y (from +Z towards +X, seen from above: x' = (cos, 0, -sin)).
    static Frame turned(const Vec3& origin, float angle);
    // y along `axis` (unit), z as close to `facing` as it can be while perpendicular to y.
    static Frame along(const Vec3& origin, const Vec3& axis, const Vec3& facing);
    // The same frame with its axes rotated about its own x, y or z axis.
    Frame pitched(float angle) const;
    Frame yawed(float angle) const;
    Frame rolled(float angle) const;
    Frame scaled(const Vec3& s) const { return {origin, x * s.x, y * s.y, z * s.z}; }
    Frame moved(const Vec3& local) const { return {point(local), x, y, z}; }
};

Vec3 rotateY(const Vec3& v, float angle);
Vec3 lerp(const Vec3& a, const Vec3& b, float t);

// A flat convex polygon (corners counter-clockwise seen from its front), fanned from the first
// corner. Texture axes: u horizontal and v up the face for walls and slopes, world x and -z for
// level faces; `uAxis`, when not zero, sets u instead (v = normal × u).
void addPolygon(Geometry& g, const std::vector<Vec3>& corners, const Vec3& uAxis = Vec3());
void addQuad(Geometry& g, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d,
             const Vec3& uAxis = Vec3());

// The box of corners frame.point(±1, ±1, ±1): six flat faces with split vertices. Each face's v
// runs along the longer of its two axes, so beams and planks carry their grain lengthwise.
void addBox(Geometry& g, const Frame& f);
// A box between two points, `width` along `side` and `depth` along the third axis.
void addBeam(Geometry& g, const Vec3& from, const Vec3& to, const Vec3& side, float width, float depth);

// A flat convex polygon `base` (either winding) pushed out by `offset` into a closed prism: a slab,
// a gallery plank, a roof sheet.
void addPrism(Geometry& g, const std::vector<Vec3>& base, const Vec3& offset);

// A regular `sides`-gon prism or frustum from `base` to `top` with radii r0 and r1 (the radius to
// the corners); `phase` turns the first corner from the frame's z axis. Flat: split vertices per
// side; smooth: shared normals around (and no phase). Caps close the ends.
void addFrustum(Geometry& g, const Vec3& base, const Vec3& top, float r0, float r1, int sides, float phase,
                bool flat, bool capBottom, bool capTop);

// One cross-section of a tube: its centre, radius, and how far lobes bulge it (root flare).
struct Ring {
    Vec3 centre;
    float radius = 0;
    float flare = 0;
};

// A smooth tube through the rings, `sides` around; the frames follow the path without twisting.
// u runs around (one turn = `uTurn`), v along the path in metres × 0.5. `lobes` bumps (with each
// ring's flare) ripple the section; a tip of radius 0 closes to a point. `closeStart` caps the
// first ring with a flat disc.
void addTube(Geometry& g, const std::vector<Ring>& rings, int sides, float uTurn, int lobes = 0,
             bool closeStart = false);

// A closed geodesic sphere (each icosahedron edge split `frequency` times, 20·f² triangles) with
// radii `radii`, pushed in and out by fractal noise of relative strength `roughness` at `detail`
// features per unit radius. Smooth normals from the displaced faces.
void addBlob(Geometry& g, const Vec3& centre, const Vec3& radii, int frequency, float roughness, float detail,
             uint32_t seed);

// A thin strip between two polylines (left[i], right[i]), two triangles per segment, and its back
// as a second face with reversed winding, so it shows from both sides with back faces culled
// (without `twoFaced`, the front alone, for a material that draws both faces itself).
// u across 0..1, v from `v[i]`; a tip where left and right meet becomes one triangle.
void addStrip(Geometry& g, const std::vector<Vec3>& left, const std::vector<Vec3>& right,
              const std::vector<float>& v, bool twoFaced = true);

// A closed thin sheet (cloth) around the surface `grid` of rows × columns points (row-major; the
// front faces where columns × rows turn counter-clockwise), `thickness` thick: smooth front and
// back surfaces and a flat rim, so either side shows with back faces culled.
void addSheet(Geometry& g, const std::vector<Vec3>& grid, int columns, float thickness);

// Area-weighted vertex normals of the triangles from index `firstIndex` on.
void smoothNormals(Geometry& g, size_t firstIndex);

// Appends `src` moved by `f` (rotation and uniform scale; normals follow the rotation).
void append(Geometry& dst, const Geometry& src, const Frame& f);

// One index bin per entry, in order, into `out`.
void mergeBins(const std::vector<Geometry>& bins, Geometry& out);

} // namespace modelkit
