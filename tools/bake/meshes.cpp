// The meshes the scenes draw, each sized for the cameras that film it: the opening box,
// the tunnel, the sculpture, the ground plane, the loudspeaker field, the swimming
// creature and the sphere whose vertices carry per-frame values.

#include "meshes.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "asset.h"

namespace nimra::bake {

namespace {

constexpr double pi = 3.14159265358979323846;

// Winding follows the shading normals: each triangle is turned to face the way its
// vertex normals point, so back-face culling and lighting agree.
void orientToNormals(cMeshBuilder& mesh) {
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        uint32_t* tri = &mesh.indices[t];
        const cV3 a = mesh.positions[tri[0]], b = mesh.positions[tri[1]],
                  c = mesh.positions[tri[2]];
        const cV3 n = mesh.normals[tri[0]] + mesh.normals[tri[1]] + mesh.normals[tri[2]];
        if (dot(cross(b - a, c - a), n) < 0) std::swap(tri[1], tri[2]);
    }
}

// A cylinder along y from y0 to y1, with caps, centred on (x, z).
void cylinder(cMeshBuilder& mesh, double x, double z, double radius, double y0, double y1,
              int segments) {
    mesh.grid(
        2, segments,
        [&](int i, int j) {
            const double a = 2 * pi * j / segments;
            return cV3{x + radius * std::cos(a), i ? y1 : y0, z + radius * std::sin(a)};
        },
        [&](int, int j) {
            const double a = 2 * pi * j / segments;
            return cV3{std::cos(a), 0, std::sin(a)};
        },
        4, 1);
    for (int cap = 0; cap < 2; ++cap) {
        const double y = cap ? y1 : y0;
        const cV3 n{0, cap ? 1.0 : -1.0, 0};
        const uint32_t centre = mesh.vertex({x, y, z}, n, 0.5, 0.5);
        const uint32_t first = uint32_t(mesh.vertexCount());
        for (int j = 0; j < segments; ++j) {
            const double a = 2 * pi * j / segments;
            mesh.vertex({x + radius * std::cos(a), y, z + radius * std::sin(a)}, n,
                        0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a));
        }
        for (int j = 0; j < segments; ++j)
            mesh.triangle(centre, first + j, first + (j + 1) % segments);
    }
}

// An axis-aligned box from (x0, y0, z0) to (x1, y1, z1), flat faces.
void box(cMeshBuilder& mesh, cV3 lo, cV3 hi) {
    const cV3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                      {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                      {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    mesh.flatQuad(p[4], p[5], p[6], p[7]);  // front (+z)
    mesh.flatQuad(p[1], p[0], p[3], p[2]);  // back
    mesh.flatQuad(p[5], p[1], p[2], p[6]);  // right
    mesh.flatQuad(p[0], p[4], p[7], p[3]);  // left
    mesh.flatQuad(p[7], p[6], p[2], p[3]);  // top
    mesh.flatQuad(p[0], p[1], p[5], p[4]);  // bottom
}

}  // namespace

cMeshBuilder buildBox() {
    // A 60-unit box with rounded edges: every face is a grid pushed out onto the rounded
    // shell, denser across the bevels.
    constexpr double half = 30, radius = 8;
    std::vector<double> coords;
    for (int k = 0; k <= 3; ++k)
        coords.push_back(-half + radius * k / 3.0);
    coords.push_back(0);
    for (int k = 3; k >= 0; --k)
        coords.push_back(half - radius * k / 3.0);
    const int n = int(coords.size());

    auto shell = [&](cV3 p, cV3* normal) {
        const double inner = half - radius;
        const cV3 core{std::clamp(p.x, -inner, inner), std::clamp(p.y, -inner, inner),
                       std::clamp(p.z, -inner, inner)};
        *normal = normalised(p - core);
        return core + *normal * radius;
    };
    const cV3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    cMeshBuilder mesh;
    for (int face = 0; face < 6; ++face) {
        const int axis = face / 2;
        const double sign = face % 2 ? -1 : 1;
        const cV3 normal = axes[axis] * sign;
        const cV3 t1 = axes[(axis + 1) % 3], t2 = axes[(axis + 2) % 3];
        mesh.grid(
            n, n - 1,
            [&](int i, int j) {
                cV3 unused;
                return shell(normal * half + t1 * coords[j] + t2 * coords[i], &unused);
            },
            [&](int i, int j) {
                cV3 result;
                shell(normal * half + t1 * coords[j] + t2 * coords[i], &result);
                return result;
            },
            1, 1);
    }
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildTunnel() {
    // A stone passage along +z, an arched rib every 60 units and a plain wall between,
    // with a lantern under the crown halfway between every two ribs. The shaders light it
    // per vertex from the lanterns, so the ribs stand out against the lit walls. The
    // software renderer pays the same setup for every triangle however small, so the
    // triangles are few and large: twelve sides, and past z = 160, where the camera never
    // comes near, the ribs lose their shoulders. The stones tile nine times round and every
    // 27 units along, so they keep their shape. It starts behind the camera's furthest
    // point back and ends, capped, far enough ahead to vanish into the dark.
    constexpr double start = -200, end = 880, period = 60;  // whole periods
    constexpr double farFrom = 160;
    constexpr int segments = 12;
    struct cRow {
        double offset, radius;
    };
    constexpr cRow near[] = {{0, 32}, {6, 36}, {30, 41}, {54, 36}};
    constexpr cRow far[] = {{0, 32}, {30, 41}};
    std::vector<double> zs, radii;
    for (double z = start; z < end; z += period) {
        for (const cRow& row :
             z < farFrom ? std::vector<cRow>(near, near + 4) : std::vector<cRow>(far, far + 2)) {
            zs.push_back(z + row.offset);
            radii.push_back(row.radius);
        }
    }
    zs.push_back(end);
    radii.push_back(near[0].radius);
    const int rows = int(zs.size());
    cMeshBuilder mesh;
    for (int i = 0; i < rows; ++i) {
        const int a = std::max(0, i - 1), b = std::min(rows - 1, i + 1);
        const double slope = (radii[b] - radii[a]) / (zs[b] - zs[a]);
        for (int j = 0; j <= segments; ++j) {
            const double angle = 2 * pi * j / segments;
            const double c = std::cos(angle), s = std::sin(angle);
            // Facing the axis, tilted where the rib's radius changes.
            mesh.vertex({radii[i] * c, radii[i] * s, zs[i]}, {-c, -s, slope}, 9.0 * j / segments,
                        (zs[i] - start) / 27.0);
        }
    }
    for (int i = 0; i + 1 < rows; ++i)
        for (int j = 0; j < segments; ++j) {
            const uint32_t a = uint32_t(i * (segments + 1) + j);
            const uint32_t d = a + segments + 1;
            mesh.quad(a, a + 1, d + 1, d);
        }
    // The far end's wall.
    const uint32_t centre = mesh.vertex({0, 0, end}, {0, 0, -1}, 0.5, 0.5);
    const uint32_t rim = uint32_t(mesh.vertexCount());
    for (int j = 0; j <= segments; ++j) {
        const double angle = 2 * pi * j / segments;
        mesh.vertex({near[0].radius * std::cos(angle), near[0].radius * std::sin(angle), end},
                    {0, 0, -1}, 0.5 + 0.5 * std::cos(angle), 0.5 + 0.5 * std::sin(angle));
    }
    for (int j = 0; j < segments; ++j)
        mesh.triangle(centre, rim + j, rim + j + 1);
    // Lanterns: a glass pyramid hanging point down from the crown. Texture u below 0 tells
    // the shaders that a vertex glows.
    for (double z = start + period / 2; z < end; z += period) {
        const cV3 tip{0, 34, z};
        const cV3 corners[4] = {{3.5, 40, z}, {0, 40, z + 3.5}, {-3.5, 40, z}, {0, 40, z - 3.5}};
        for (int k = 0; k < 4; ++k) {
            const cV3 a = corners[k], b = corners[(k + 1) % 4];
            const cV3 n = normalised(cross(b - a, tip - a));
            const uint32_t first = uint32_t(mesh.vertexCount());
            mesh.vertex(a, n, -1, 0);
            mesh.vertex(b, n, -1, 0);
            mesh.vertex(tip, n, -1, 0);
            mesh.triangle(first, first + 1, first + 2);
        }
    }
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildSculpture() {
    // A trefoil knot standing upright around (25, 70, 0), its tube swelling and thinning
    // three times around, on a rod and a low plinth. Its four cameras orbit at 50 to 220
    // units from that centre, now and then sweeping through the middle: the knot is kept
    // to about 40 units across and its tube slim, so that a pass through the middle goes
    // between the loops rather than through the lacquer.
    constexpr double scale = 12, centreX = 25, centreY = 70;
    constexpr int steps = 180, sides = 16;
    auto curve = [&](double t) {
        return cV3{centreX + scale * (std::sin(t) + 2 * std::sin(2 * t)),
                   centreY + scale * (std::cos(t) - 2 * std::cos(2 * t)),
                   -scale * 1.4 * std::sin(3 * t)};
    };
    auto frame = [&](double t, cV3* n, cV3* b) {
        const cV3 tangent = normalised(curve(t + 1e-4) - curve(t - 1e-4));
        *n = normalised(cross(tangent, {0, 0, 1}));
        *b = cross(*n, tangent);
    };
    auto radius = [](double t) { return 5 + 2 * std::sin(3 * t + 0.8); };
    cMeshBuilder mesh;
    auto around = [&](int i, int j, bool wantNormal) {
        const double t = 2 * pi * i / steps, a = 2 * pi * j / sides;
        cV3 n, b;
        frame(t, &n, &b);
        const cV3 dir = n * std::cos(a) + b * std::sin(a);
        return wantNormal ? dir : curve(t) + dir * radius(t);
    };
    // texCoord runs once around the tube in u and 0 to 8 along the knot in v.
    mesh.grid(
        steps + 1, sides, [&](int i, int j) { return around(i, j, false); },
        [&](int i, int j) { return around(i, j, true); }, 1, 8);
    // The knot's lowest point is at t = pi: (25, 34, 0).
    cylinder(mesh, centreX, 0, 2, 4, centreY - 3 * scale, 10);
    cylinder(mesh, centreX, 0, 24, 0, 4, 40);
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildPlane() {
    // The loudspeakers' ground, drawn scaled by 50: a square 720 across (36000 units in the
    // scene, its edges near the far plane at 20000, so it reaches the horizon). Two
    // triangles only: the shaders light it per pixel, and the software renderer fills a
    // few large triangles far faster than many thin ones. texCoord holds the paint the
    // speaker shaders read: a pale stone along the palette, and no glow.
    constexpr double half = 360;
    cMeshBuilder mesh;
    mesh.grid(
        2, 1,
        [&](int i, int j) {
            return cV3{j ? half : -half, 0, i ? half : -half};
        },
        [](int, int) {
            return cV3{0, 1, 0};
        },
        1, 1);
    for (size_t v = 0; v < mesh.vertexCount(); ++v) {
        mesh.texCoords[2 * v] = 0.8;
        mesh.texCoords[2 * v + 1] = 0;
    }
    orientToNormals(mesh);
    return mesh;
}

namespace {

// Paint for the speaker shaders, kept in texCoord: a position along the palette (u) and
// how strongly the part glows with the music (v).
struct cPaint {
    double palette, glow;
};

void paint(cMeshBuilder& mesh, size_t first, cPaint p) {
    for (size_t v = first; v < mesh.vertexCount(); ++v) {
        mesh.texCoords[2 * v] = p.palette;
        mesh.texCoords[2 * v + 1] = p.glow;
    }
}

// A loudspeaker driver on a cabinet's front (+z) face: a rolled surround that glows with
// the music, a dark shallow cone and a domed dust cap; tweeters are a glowing ring round a
// dome. Small drivers on the screen, so few sides: every triangle costs the software
// renderer the same setup, however small.
void driver(cMeshBuilder& mesh, double x, double y, double front, double radius, bool tweeter) {
    const int segments = tweeter ? 6 : 8;
    struct cRing {
        double r, z;
        cPaint paint;
    };
    const std::vector<cRing> rings =
        tweeter ? std::vector<cRing>{{1.0, 0.3, {0.62, 0.8}}, {0.0, 1.9, {0.95, 0.5}}}
                : std::vector<cRing>{
                      {1.0, 1.2, {0.6, 1}}, {0.7, 0.6, {0.03, 0}}, {0.0, 1.4, {0.7, 0.3}}};
    const int count = int(rings.size());
    const double depthScale = std::min(1.0, radius / 8);
    const uint32_t first = uint32_t(mesh.vertexCount());
    for (int i = 0; i < count; ++i) {
        const int a = std::max(0, i - 1), b = std::min(count - 1, i + 1);
        const double dr = rings[b].r - rings[a].r,
                     dz = (rings[b].z - rings[a].z) * depthScale / radius;
        // The centre is one vertex, facing straight out; the rings go round.
        for (int j = 0; j < (rings[i].r > 0 ? segments : 1); ++j) {
            const double angle = 2 * pi * j / segments;
            // Perpendicular to the profile (dr, dz) in the radial plane, facing forward.
            cV3 n{-dz * std::cos(angle), -dz * std::sin(angle), dr};
            if (n.z < 0) n = n * -1;
            if (rings[i].r == 0 || dot(n, n) < 1e-12) n = {0, 0, 1};
            mesh.vertex(
                {x + radius * rings[i].r * std::cos(angle),
                 y + radius * rings[i].r * std::sin(angle), front + rings[i].z * depthScale},
                n, rings[i].paint.palette, rings[i].paint.glow);
        }
    }
    for (int i = 0; i + 1 < count; ++i) {
        const uint32_t ring = first + uint32_t(i * segments), next = ring + segments;
        for (int j = 0; j < segments; ++j) {
            const uint32_t k = uint32_t(j), l = uint32_t((j + 1) % segments);
            if (i + 2 < count)
                mesh.quad(ring + k, ring + l, next + l, next + k);
            else
                mesh.triangle(ring + k, ring + l, next);
        }
    }
}

struct cCabinet {
    double width, height, depth;
    int woofers;  // across the lower part
    bool midrange;
    bool tweeter;
    bool allRound = false;  // drivers on all four sides
};

// A cabinet standing on y = 0, centred on x and z, its drivers facing +z (or every way).
cMeshBuilder cabinet(const cCabinet& c) {
    cMeshBuilder mesh;
    box(mesh, {-c.width / 2, 0, -c.depth / 2}, {c.width / 2, c.height, c.depth / 2});
    paint(mesh, 0, {0.2, 0});
    // A face's drivers, the face width wide and front away from the centre. Woofers sit
    // side by side low down, or one above the other in a tall cabinet.
    const bool column = c.height > c.width;
    const bool above = c.midrange || c.tweeter;
    auto baffle = [&](double width, double front, double yaw) {
        cMeshBuilder face;
        const double wooferRadius = column
                                        ? std::min(width * 0.4, c.height * 0.63 / (2.2 * c.woofers))
                                        : std::min(width / (2.3 * c.woofers), c.height * 0.3);
        for (int k = 0; k < c.woofers; ++k) {
            const double share = (k + 0.5) / c.woofers;
            if (column)
                driver(face, 0, c.height * (0.05 + 0.63 * share), front, wooferRadius, false);
            else
                driver(face, width * (share - 0.5), c.height * (above ? 0.36 : 0.5), front,
                       wooferRadius, false);
        }
        if (c.midrange) driver(face, -width * 0.18, c.height * 0.78, front, c.height * 0.13, false);
        if (c.tweeter)
            driver(face, c.midrange ? width * 0.22 : 0, c.height * 0.8, front, c.height * 0.08,
                   true);
        mesh.append(face, {{0, 0, 0}, yaw});
    };
    baffle(c.width, c.depth / 2, 0);
    if (c.allRound) {
        baffle(c.depth, c.width / 2, pi / 2);
        baffle(c.width, c.depth / 2, pi);
        baffle(c.depth, c.width / 2, -pi / 2);
    }
    return mesh;
}

}  // namespace

cMeshBuilder buildSpeakers() {
    cMeshBuilder mesh;
    // The central stack, 120 units high and playing every way: smoke rises from the
    // middle of its top.
    const cCabinet sub{64, 44, 52, 1, false, false, true};
    const cCabinet mid{56, 40, 46, 1, false, true, true};
    const cCabinet top{46, 36, 40, 0, true, true, true};
    mesh.append(cabinet(sub), {{0, 0, 0}, 0});
    mesh.append(cabinet(mid), {{0, 44, 0}, 0.04});
    mesh.append(cabinet(top), {{0, 84, 0}, -0.05});

    // Two rings of stacks around it, turned outwards towards the circling cameras.
    const cCabinet sideSub{64, 44, 52, 2, false, false};
    const cCabinet pair{40, 34, 36, 1, false, true};
    for (int k = 0; k < 6; ++k) {
        const double angle = 2 * pi * (k + 0.5) / 6;
        const cV3 at{120 * std::cos(angle), 0, 120 * std::sin(angle)};
        const double yaw = pi / 2 - angle + 0.15 * std::sin(k * 2.1);
        mesh.append(cabinet(sideSub), {at, yaw});
        mesh.append(cabinet(pair), {at + cV3{0, 44, 0}, yaw + 0.08});
    }
    const cCabinet tall{48, 80, 40, 2, false, true};
    for (int k = 0; k < 6; ++k) {
        const double angle = 2 * pi * k / 6 + 0.2;
        const double r = 235 + 25 * std::sin(k * 1.7);
        mesh.append(cabinet(tall), {{r * std::cos(angle), 0, r * std::sin(angle)}, pi / 2 - angle});
    }
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildCreature() {
    // A stylised swimmer about 35 units long, nose towards +x at x = 17.5: a lofted body
    // with a slight S-bend, tail flukes, a dorsal fin, two pectoral fins and little eye
    // bumps. The camera films the school from 670 away, so it is built at 25 and scaled up
    // to stay readable. Ten of them are drawn each frame, small on the screen, so the body
    // is an octagon in section: the software renderer pays the same setup for every
    // triangle. The shaders read texture u below 0 as an eye.
    constexpr int stations = 14, sides = 8;
    auto centre = [](double t) {
        return cV3{12.5 - 22.0 * t, 0.4 * std::sin(pi * t), 1.1 * std::sin(2.2 * t) * t};
    };
    auto halfHeight = [](double t) {
        return 0.15 + 3.3 * std::pow(std::sin(pi * std::pow(t, 0.62)), 0.9);
    };
    auto halfWidth = [&](double t) {
        return 0.15 + 2.6 * std::pow(std::sin(pi * std::pow(t, 0.62)), 0.9);
    };
    cMeshBuilder mesh;
    auto ring = [&](int i, int j, bool wantNormal) {
        const double t = double(i) / (stations - 1), a = 2 * pi * j / sides;
        const double h = halfHeight(t), w = halfWidth(t);
        // Flatter belly than back.
        const double belly = std::sin(a) < 0 ? 0.8 : 1.0;
        if (wantNormal) return cV3{0, std::sin(a) / (h * belly), std::cos(a) / w};
        return centre(t) + cV3{0, h * belly * std::sin(a), w * std::cos(a)};
    };
    mesh.grid(
        stations, sides, [&](int i, int j) { return ring(i, j, false); },
        [&](int i, int j) { return ring(i, j, true); }, 1, 1);

    // Thin fins, a sheet for each side, so that they show from both with back faces culled.
    auto fin = [&](std::vector<cV3> outline, cV3 normal) {
        for (double side : {1.0, -1.0}) {
            const uint32_t first = uint32_t(mesh.vertexCount());
            for (const cV3& p : outline)
                mesh.vertex(p + normalised(normal) * (0.05 * side), normal * side, 0.5, 0.5);
            for (size_t k = 1; k + 1 < outline.size(); ++k)
                mesh.triangle(first, first + uint32_t(k), first + uint32_t(k + 1));
        }
    };
    const cV3 tail = centre(1.0);
    fin({tail + cV3{1.5, 0, 0}, tail + cV3{-3.2, 0, 4.2}, tail + cV3{-2.0, 0, 0.8},
         tail + cV3{-2.2, 0, 0}, tail + cV3{-2.0, 0, -0.8}, tail + cV3{-3.2, 0, -4.2}},
        {0, 1, 0});
    const cV3 back = centre(0.42);
    fin({back + cV3{2.5, 3.0, 0}, back + cV3{-3.0, 6.8, 0}, back + cV3{-4.0, 2.6, 0}}, {0, 0, 1});
    for (int side = -1; side <= 1; side += 2) {
        const cV3 root = centre(0.28) + cV3{0, -1.4, side * 2.0};
        fin({root + cV3{1.4, 0, 0}, root + cV3{-2.6, -2.2, side * 3.6}, root + cV3{-1.6, 0, 0}},
            {0, 3.6, side * 2.2});
    }
    // Eyes: a small pyramid on each side of the head.
    for (int side = -1; side <= 1; side += 2) {
        const cV3 at = centre(0.08) + cV3{0, 0.9, side * 1.5};
        const cV3 tip = at + cV3{0, 0, side * 0.6};
        const cV3 corners[4] = {at + cV3{0.5, 0, 0}, at + cV3{0, 0.5, 0}, at + cV3{-0.5, 0, 0},
                                at + cV3{0, -0.5, 0}};
        for (int k = 0; k < 4; ++k) {
            const cV3 a = corners[k], b = corners[(k + 1) % 4];
            const cV3 n = normalised(cross(b - a, tip - a)) * double(side);
            const uint32_t first = uint32_t(mesh.vertexCount());
            mesh.vertex(a, n, -1, 0);
            mesh.vertex(b, n, -1, 0);
            mesh.vertex(tip, n, -1, 0);
            mesh.triangle(first, first + 1, first + 2);
        }
    }
    for (cV3& p : mesh.positions)
        p = p * 1.4;
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildSphere() {
    // Latitude rings and longitude slices, the seam duplicated so texture u runs 0..1:
    // (slices + 1) x (stacks + 1) = 1617 vertices, one pixel each of the sphere scene's
    // 41 x 41 vertex-data grid. Dense enough that a swelling of the metaball field under
    // the surface spans several vertices. At the scene's scale of 20 a sphere is about 60
    // pixels across under its distant camera: big enough to show the swellings, small
    // enough that the six mostly pass each other rather than cut into one another.
    constexpr int slices = 48, stacks = 32;
    constexpr double radius = 9;
    auto direction = [&](int i, int j) {
        const double theta = pi * i / stacks, phi = 2 * pi * j / slices;
        return cV3{std::sin(theta) * std::cos(phi), std::cos(theta),
                   std::sin(theta) * std::sin(phi)};
    };
    cMeshBuilder mesh;
    mesh.grid(
        stacks + 1, slices, [&](int i, int j) { return direction(i, j) * radius; }, direction, 1,
        1);
    orientToNormals(mesh);
    return mesh;
}

void writeMesh(const std::string& path, const cMeshBuilder& mesh) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw cBakeError("cannot open " + path + " for writing");
    writeMeshFile(out, mesh.toFile());
    out.flush();
    if (!out) throw cBakeError("write failed: " + path);
}

void addMeshAssets(std::vector<cAsset>& assets) {
    const std::vector<std::string> sources = {"meshes.cpp", "meshes.h", "mesh_builder.cpp",
                                              "mesh_builder.h"};
    const struct {
        const char* file;
        cMeshBuilder (*build)();
    } meshes[] = {
        {"aBox.obj.bin", buildBox},           {"tunnel.obj.bin", buildTunnel},
        {"abstra.obj.bin", buildSculpture},   {"plane.obj.bin", buildPlane},
        {"speakers2.obj.bin", buildSpeakers}, {"dingo.obj.bin", buildCreature},
        {"susphere.obj.bin", buildSphere},
    };
    for (const auto& m : meshes) {
        auto build = m.build;
        assets.push_back({m.file,
                          sources,
                          {},
                          "",
                          [build](const std::string& path) { writeMesh(path, build()); },
                          0.5});
    }
}

}  // namespace nimra::bake
