// The baked meshes read back through the engine's reader with the layout the renderer
// needs, sizes that fit their cameras, and normals that face the way the scenes look.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "meshes.h"
#include "render/mesh_file.h"

using namespace nimra;
using namespace nimra::bake;

namespace {

struct cReadBack {
    std::vector<float> positions, normals, texCoords;
    std::vector<uint32_t> indices;
    size_t vertices = 0;
};

template <typename T>
std::vector<T> values(const cMeshBlock& block) {
    std::vector<T> out(block.data.size() / sizeof(T));
    std::memcpy(out.data(), block.data.data(), out.size() * sizeof(T));
    return out;
}

// Writes the mesh as the baker does, reads it with the engine's reader and checks the
// block layout every mesh shares.
cReadBack roundTrip(const cMeshBuilder& mesh) {
    std::stringstream file;
    writeMeshFile(file, mesh.toFile());
    const cMeshFileData data = readMeshFile(file);
    cReadBack r;
    EXPECT_EQ(data.positions.target, 0x8892);
    EXPECT_EQ(data.positions.componentType, 0x1406);
    EXPECT_EQ(data.positions.componentsPerElement, 3);
    EXPECT_EQ(data.positions.usage, 0x88E4);
    EXPECT_EQ(data.indices.target, 0x8893);
    EXPECT_EQ(data.indices.componentType, 0x1405);
    EXPECT_EQ(data.indices.componentsPerElement, 3);
    r.vertices = size_t(data.positions.elementCount);
    r.positions = values<float>(data.positions);
    r.indices = values<uint32_t>(data.indices);
    EXPECT_EQ(r.indices.size(), size_t(data.indices.elementCount) * 3);
    EXPECT_EQ(data.attributes.size(), 2u);
    for (const auto& [name, block] : data.attributes) {
        EXPECT_EQ(block.target, 0x8892) << name;
        EXPECT_EQ(block.componentType, 0x1406) << name;
        EXPECT_EQ(size_t(block.elementCount), r.vertices) << name;
        if (name == "normal") {
            EXPECT_EQ(block.componentsPerElement, 3);
            r.normals = values<float>(block);
        } else {
            EXPECT_EQ(name, "texCoord");
            EXPECT_EQ(block.componentsPerElement, 2);
            r.texCoords = values<float>(block);
        }
    }
    for (uint32_t index : r.indices)
        EXPECT_LT(index, r.vertices);
    for (float v : r.positions)
        EXPECT_TRUE(std::isfinite(v));
    for (size_t i = 0; i + 2 < r.normals.size(); i += 3)
        EXPECT_NEAR(std::hypot(r.normals[i], r.normals[i + 1], r.normals[i + 2]), 1.0, 1e-3);
    // The renderer is software: keep every mesh to a few thousand triangles.
    EXPECT_LE(r.indices.size() / 3, 7500u);
    return r;
}

struct cBox {
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
};

cBox boundsOf(const cReadBack& r) {
    cBox b;
    for (size_t i = 0; i < r.positions.size(); ++i) {
        b.lo[i % 3] = std::min(b.lo[i % 3], r.positions[i]);
        b.hi[i % 3] = std::max(b.hi[i % 3], r.positions[i]);
    }
    return b;
}

// Share of triangles whose corner order faces the same way as their normals.
double facingShare(const cReadBack& r) {
    size_t agree = 0;
    for (size_t t = 0; t < r.indices.size(); t += 3) {
        const float* p[3];
        float n[3] = {0, 0, 0};
        for (int k = 0; k < 3; ++k) {
            p[k] = &r.positions[r.indices[t + k] * 3];
            for (int c = 0; c < 3; ++c)
                n[c] += r.normals[r.indices[t + k] * 3 + c];
        }
        const float e1[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
        const float e2[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
        const float g[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                            e1[0] * e2[1] - e1[1] * e2[0]};
        if (g[0] * n[0] + g[1] * n[1] + g[2] * n[2] >= 0) ++agree;
    }
    return double(agree) / (r.indices.size() / 3);
}

}  // namespace

TEST(BakeMesh, BoxIsSixtyAcrossAtTheOriginWithOutwardNormals) {
    const cReadBack r = roundTrip(buildBox());
    const cBox b = boundsOf(r);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(b.lo[c], -30, 0.01);
        EXPECT_NEAR(b.hi[c], 30, 0.01);
    }
    for (size_t v = 0; v < r.vertices; ++v) {
        const float* p = &r.positions[v * 3];
        const float* n = &r.normals[v * 3];
        EXPECT_GT(p[0] * n[0] + p[1] * n[1] + p[2] * n[2], 0) << "vertex " << v;
    }
    EXPECT_EQ(facingShare(r), 1.0);
}

TEST(BakeMesh, TunnelRunsAlongZFacingItsAxisWithLanternsUnderTheCrown) {
    const cReadBack r = roundTrip(buildTunnel());
    // Every triangle costs the software renderer its setup; the tunnel fills the screen.
    EXPECT_LE(r.indices.size() / 3, 1500u);
    const cBox b = boundsOf(r);
    EXPECT_LE(b.lo[2], -200);
    EXPECT_GE(b.hi[2], 800);
    size_t lanternVertices = 0, capVertices = 0;
    for (size_t v = 0; v < r.vertices; ++v) {
        const float* p = &r.positions[v * 3];
        const float* n = &r.normals[v * 3];
        const float radius = std::hypot(p[0], p[1]);
        if (r.texCoords[v * 2] < 0) {
            // A lantern: hanging from the crown, on the axis's plane.
            ++lanternVertices;
            EXPECT_LT(std::fabs(p[0]), 5) << "vertex " << v;
            EXPECT_GT(p[1], 32) << "vertex " << v;
            EXPECT_LT(p[1], 41) << "vertex " << v;
        } else if (n[2] < -0.99f) {
            // The far end's wall, facing back down the tunnel.
            ++capVertices;
            EXPECT_FLOAT_EQ(p[2], b.hi[2]);
        } else {
            EXPECT_GT(radius, 31) << "vertex " << v;
            EXPECT_LT(radius, 42) << "vertex " << v;
            // The camera rides on the axis: every wall normal points back towards it.
            EXPECT_LT(p[0] * n[0] + p[1] * n[1], 0) << "vertex " << v;
        }
    }
    // One lantern between every two ribs along the whole length.
    EXPECT_GE(lanternVertices / 12, size_t((b.hi[2] - b.lo[2]) / 60));
    EXPECT_GT(capVertices, 0u);
    EXPECT_EQ(facingShare(r), 1.0);
}

TEST(BakeMesh, SculptureStandsAbout100HighAroundItsCentre) {
    const cReadBack r = roundTrip(buildSculpture());
    const cBox b = boundsOf(r);
    EXPECT_NEAR(b.lo[1], 0, 0.01);  // on the ground
    EXPECT_GT(b.hi[1] - b.lo[1], 90);
    EXPECT_LT(b.hi[1] - b.lo[1], 110);
    // Small enough across that the cameras sweeping through its middle pass between loops.
    EXPECT_LT(b.hi[0] - b.lo[0], 90);
    EXPECT_NEAR((b.lo[0] + b.hi[0]) / 2, 25, 6);
    EXPECT_NEAR((b.lo[2] + b.hi[2]) / 2, 0, 6);
    EXPECT_EQ(facingShare(r), 1.0);
}

TEST(BakeMesh, GroundIsAFlatSquareThatReachesTheHorizonInPaleStone) {
    const cReadBack r = roundTrip(buildPlane());
    const cBox b = boundsOf(r);
    // Drawn scaled by 50: the edges lie far out, near the far plane at 20000.
    for (int c : {0, 2}) {
        EXPECT_FLOAT_EQ(b.lo[c] * 50, -18000);
        EXPECT_FLOAT_EQ(b.hi[c] * 50, 18000);
    }
    for (size_t v = 0; v < r.vertices; ++v) {
        EXPECT_FLOAT_EQ(r.positions[v * 3 + 1], 0);
        EXPECT_FLOAT_EQ(r.normals[v * 3 + 1], 1);
        // Paint: a place on the palette, no glow.
        EXPECT_GT(r.texCoords[v * 2], 0.5f);
        EXPECT_LE(r.texCoords[v * 2], 1.0f);
        EXPECT_EQ(r.texCoords[v * 2 + 1], 0.0f);
    }
    EXPECT_EQ(facingShare(r), 1.0);
}

TEST(BakeMesh, SpeakerStackTopsOutWhereTheSmokeRises) {
    const cReadBack r = roundTrip(buildSpeakers());
    EXPECT_LE(r.indices.size() / 3, 2500u);
    float stackTop = 0;
    for (size_t v = 0; v < r.vertices; ++v) {
        const float* p = &r.positions[v * 3];
        if (std::fabs(p[0]) < 40 && std::fabs(p[2]) < 40) stackTop = std::max(stackTop, p[1]);
    }
    EXPECT_NEAR(stackTop, 120, 2);
    const cBox b = boundsOf(r);
    EXPECT_NEAR(b.lo[1], 0, 0.01);
    // The field stays well inside the cameras' 470-unit orbit.
    for (int c : {0, 2}) {
        EXPECT_GT(b.lo[c], -320);
        EXPECT_LT(b.hi[c], 320);
    }
    // Paint along the palette, and the drivers' surrounds glow.
    size_t glowing = 0;
    for (size_t v = 0; v < r.vertices; ++v) {
        const float u = r.texCoords[v * 2], glow = r.texCoords[v * 2 + 1];
        EXPECT_GE(u, 0.0f);
        EXPECT_LE(u, 1.0f);
        EXPECT_GE(glow, 0.0f);
        EXPECT_LE(glow, 1.0f);
        if (glow > 0.5f) ++glowing;
    }
    EXPECT_GT(glowing, r.vertices / 20);
    EXPECT_LT(glowing, r.vertices / 2);
    EXPECT_EQ(facingShare(r), 1.0);
}

TEST(BakeMesh, CreatureIsAbout35LongNoseForwardWithEyes) {
    const cReadBack r = roundTrip(buildCreature());
    // Drawn ten times a frame.
    EXPECT_LE(r.indices.size() / 3, 300u);
    const cBox b = boundsOf(r);
    EXPECT_GT(b.hi[0] - b.lo[0], 31);
    EXPECT_LT(b.hi[0] - b.lo[0], 39);
    EXPECT_LT(b.hi[1] - b.lo[1], 21);
    // The shaders bend the body from the nose at x = 17.5 back to the tail.
    EXPECT_NEAR(b.hi[0], 17.5, 0.7);
    // Eyes (texture u below 0) on both sides of the head.
    int left = 0, right = 0;
    for (size_t v = 0; v < r.vertices; ++v) {
        if (r.texCoords[v * 2] >= 0) continue;
        const float* p = &r.positions[v * 3];
        EXPECT_GT(p[0], 11) << "vertex " << v;
        (p[2] < 0 ? left : right)++;
    }
    EXPECT_GT(left, 0);
    EXPECT_EQ(left, right);
    EXPECT_EQ(facingShare(r), 1.0);
}

TEST(BakeMesh, SphereHasRadiusNineAndFitsTheVertexGrid) {
    const cReadBack r = roundTrip(buildSphere());
    // Each vertex is one pixel of the sphere scene's vertex-data grid.
    EXPECT_GE(r.vertices, 400u);
    EXPECT_LE(r.vertices, 2000u);
    for (size_t v = 0; v < r.vertices; ++v) {
        const float* p = &r.positions[v * 3];
        const float* n = &r.normals[v * 3];
        EXPECT_NEAR(std::hypot(p[0], p[1], p[2]), 9, 1e-4);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(n[c], p[c] / 9, 1e-4);
    }
    for (float uv : r.texCoords) {
        EXPECT_GE(uv, 0);
        EXPECT_LE(uv, 1);
    }
    EXPECT_EQ(facingShare(r), 1.0);
}

TEST(BakeMesh, WriteFailureNamesThePath) {
    try {
        writeMesh("/nonexistent-dir/aBox.obj.bin", buildBox());
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/aBox.obj.bin"), std::string::npos);
    }
}
