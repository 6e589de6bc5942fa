// The meshes the scenes draw, each sized for the cameras that film it: the opening box,
// the tunnel, the sculpture, the ground plane, the loudspeaker field, the swimming
// creature and the sphere whose vertices carry per-frame values.

#include "meshes.h"

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
    // Ribbed rings every 60 units: an inward ring, smooth panels between. Long enough past
    // z = 600 that its far end is a small opening even from the camera's furthest point.
    constexpr double start = -200, end = 1420, period = 60;
    constexpr int segments = 24;
    std::vector<double> zs, radii;
    for (double z = start; z < end; z += period) {
        const double offsets[] = {0, 5, 30, 55};
        const double rs[] = {35.5, 39.5, 41, 39.5};
        for (int k = 0; k < 4; ++k) {
            zs.push_back(z + offsets[k]);
            radii.push_back(rs[k]);
        }
    }
    zs.push_back(end);
    radii.push_back(35.5);
    const int rows = int(zs.size());
    auto slope = [&](int i) {
        const int a = std::max(0, i - 1), b = std::min(rows - 1, i + 1);
        return (radii[b] - radii[a]) / (zs[b] - zs[a]);
    };
    cMeshBuilder mesh;
    mesh.grid(
        rows, segments,
        [&](int i, int j) {
            const double a = 2 * pi * j / segments;
            return cV3{radii[i] * std::cos(a), radii[i] * std::sin(a), zs[i]};
        },
        [&](int i, int j) {
            const double a = 2 * pi * j / segments;
            return cV3{-std::cos(a), -std::sin(a), slope(i)};  // facing the axis
        },
        6, (end - start) / period);
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildSculpture() {
    // A trefoil knot standing upright around (25, 70, 0), its tube swelling and thinning
    // three times around, on a rod and a low plinth.
    constexpr double scale = 18, centreX = 25, centreY = 70;
    constexpr int steps = 150, sides = 12;
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
    auto radius = [](double t) { return 6.5 + 2.5 * std::sin(3 * t + 0.8); };
    cMeshBuilder mesh;
    auto around = [&](int i, int j, bool wantNormal) {
        const double t = 2 * pi * i / steps, a = 2 * pi * j / sides;
        cV3 n, b;
        frame(t, &n, &b);
        const cV3 dir = n * std::cos(a) + b * std::sin(a);
        return wantNormal ? dir : curve(t) + dir * radius(t);
    };
    mesh.grid(
        steps + 1, sides, [&](int i, int j) { return around(i, j, false); },
        [&](int i, int j) { return around(i, j, true); }, 1, 8);
    // The knot's lowest point is at t = pi: (25, 16, 0).
    cylinder(mesh, centreX, 0, 3, 4, centreY - 3 * scale, 10);
    cylinder(mesh, centreX, 0, 34, 0, 4, 32);
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildPlane() {
    constexpr int cells = 32;
    constexpr double half = 20;
    cMeshBuilder mesh;
    mesh.grid(
        cells + 1, cells,
        [&](int i, int j) {
            return cV3{-half + 2 * half * j / cells, 0, -half + 2 * half * i / cells};
        },
        [](int, int) {
            return cV3{0, 1, 0};
        },
        8, 8);
    orientToNormals(mesh);
    return mesh;
}

namespace {

// A loudspeaker driver on a cabinet's front (+z) face: a rim, a rolled surround, a shallow
// cone and a domed dust cap; small drivers are all dome.
void driver(cMeshBuilder& mesh, double x, double y, double front, double radius, bool tweeter) {
    constexpr int segments = 12;
    struct cRing {
        double r, z;
    };
    const std::vector<cRing> rings =
        tweeter ? std::vector<cRing>{{1.0, 0.3}, {0.75, 1.0}, {0.4, 1.6}, {0.0, 1.9}}
                : std::vector<cRing>{{1.0, 0.3},  {0.9, 1.4}, {0.78, 0.8},
                                     {0.34, 0.5}, {0.2, 1.4}, {0.0, 1.8}};
    const double depthScale = std::min(1.0, radius / 8);
    auto position = [&](int i, int j) {
        const double a = 2 * pi * j / segments;
        return cV3{x + radius * rings[i].r * std::cos(a), y + radius * rings[i].r * std::sin(a),
                   front + rings[i].z * depthScale};
    };
    auto normal = [&](int i, int j) {
        const int a = std::max(0, i - 1), b = std::min(int(rings.size()) - 1, i + 1);
        const double dr = rings[b].r - rings[a].r,
                     dz = (rings[b].z - rings[a].z) * depthScale / radius;
        const double angle = 2 * pi * j / segments;
        // Perpendicular to the profile (dr, dz) in the radial plane, facing forward.
        cV3 n{-dz * std::cos(angle), -dz * std::sin(angle), dr};
        if (n.z < 0) n = n * -1;
        return dot(n, n) > 1e-12 ? n : cV3{0, 0, 1};
    };
    mesh.grid(int(rings.size()), segments, position, normal, 1, 1);
}

struct cCabinet {
    double width, height, depth;
    int woofers;  // across the lower part
    bool midrange;
    bool tweeter;
};

// A cabinet standing on y = 0, centred on x and z, its drivers facing +z.
cMeshBuilder cabinet(const cCabinet& c) {
    cMeshBuilder mesh;
    box(mesh, {-c.width / 2, 0, -c.depth / 2}, {c.width / 2, c.height, c.depth / 2});
    const double front = c.depth / 2;
    const double wooferRadius = std::min(c.width / (2.3 * c.woofers), c.height * 0.3);
    for (int k = 0; k < c.woofers; ++k) {
        const double x = c.width * ((k + 0.5) / c.woofers - 0.5);
        driver(mesh, x, c.height * (c.midrange || c.tweeter ? 0.36 : 0.5), front, wooferRadius,
               false);
    }
    if (c.midrange) driver(mesh, -c.width * 0.18, c.height * 0.78, front, c.height * 0.13, false);
    if (c.tweeter)
        driver(mesh, c.midrange ? c.width * 0.22 : 0, c.height * 0.8, front, c.height * 0.08, true);
    return mesh;
}

}  // namespace

cMeshBuilder buildSpeakers() {
    cMeshBuilder mesh;
    // The central stack, 120 units high: smoke rises from the middle of its top.
    const cCabinet sub{64, 44, 52, 2, false, false};
    const cCabinet mid{56, 40, 46, 1, false, true};
    const cCabinet top{46, 36, 40, 0, true, true};
    mesh.append(cabinet(sub), {{0, 0, 0}, 0});
    mesh.append(cabinet(mid), {{0, 44, 0}, 0.04});
    mesh.append(cabinet(top), {{0, 84, 0}, -0.05});

    // Two rings of stacks around it, turned outwards towards the circling cameras.
    const cCabinet pair{40, 34, 36, 1, false, true};
    for (int k = 0; k < 6; ++k) {
        const double angle = 2 * pi * (k + 0.5) / 6;
        const cV3 at{120 * std::cos(angle), 0, 120 * std::sin(angle)};
        const double yaw = pi / 2 - angle + 0.15 * std::sin(k * 2.1);
        mesh.append(cabinet(sub), {at, yaw});
        mesh.append(cabinet(pair), {at + cV3{0, 44, 0}, yaw + 0.08});
    }
    const cCabinet tall{44, 70, 40, 2, true, true};
    for (int k = 0; k < 8; ++k) {
        const double angle = 2 * pi * k / 8 + 0.2;
        const double r = 235 + 25 * std::sin(k * 1.7);
        mesh.append(cabinet(tall), {{r * std::cos(angle), 0, r * std::sin(angle)}, pi / 2 - angle});
    }
    orientToNormals(mesh);
    return mesh;
}

cMeshBuilder buildCreature() {
    // A stylised swimmer about 25 units long, nose towards +x: a lofted body with a slight
    // S-bend, tail flukes, a dorsal fin, two pectoral fins and little eye bumps.
    constexpr int stations = 22, sides = 12;
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

    // Thin fins, made double-sided so they show from both sides.
    auto fin = [&](std::vector<cV3> outline, cV3 thickness) {
        const cV3 n = normalised(thickness);
        for (int side = 0; side < 2; ++side) {
            const cV3 offset = thickness * (side ? -0.5 : 0.5);
            const cV3 normal = n * (side ? -1.0 : 1.0);
            const uint32_t first = uint32_t(mesh.vertexCount());
            for (const cV3& p : outline)
                mesh.vertex(p + offset, normal, 0.5, 0.5);
            for (size_t k = 1; k + 1 < outline.size(); ++k)
                mesh.triangle(first, first + uint32_t(k), first + uint32_t(k + 1));
        }
    };
    const cV3 tail = centre(1.0);
    fin({tail + cV3{1.5, 0, 0}, tail + cV3{-3.2, 0, 4.2}, tail + cV3{-2.0, 0, 0.8},
         tail + cV3{-2.2, 0, 0}, tail + cV3{-2.0, 0, -0.8}, tail + cV3{-3.2, 0, -4.2}},
        {0, 0.35, 0});
    const cV3 back = centre(0.42);
    fin({back + cV3{2.5, 3.0, 0}, back + cV3{-3.0, 6.8, 0}, back + cV3{-4.0, 2.6, 0}}, {0, 0, 0.3});
    for (int side = -1; side <= 1; side += 2) {
        const cV3 root = centre(0.28) + cV3{0, -1.4, side * 2.0};
        fin({root + cV3{1.4, 0, 0}, root + cV3{-2.6, -2.2, side * 3.6}, root + cV3{-1.6, 0, 0}},
            {0, 0.3, side * 0.1});
    }
    for (int side = -1; side <= 1; side += 2) {
        cMeshBuilder eye;
        cylinder(eye, 0, 0, 0.45, -0.4, 0.4, 8);
        mesh.append(eye, {centre(0.08) + cV3{0, 0.9, side * 1.55}, side * pi / 2});
    }
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
