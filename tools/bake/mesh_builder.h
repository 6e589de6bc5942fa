#pragma once
// Triangle meshes assembled in code and turned into the engine's mesh file layout: float
// positions, unsigned-int triangles, and "normal" and "texCoord" attribute buffers.

#include <cstdint>
#include <vector>

#include "render/mesh_file.h"

namespace nimra::bake {

struct cV3 {
    double x = 0, y = 0, z = 0;
};
inline cV3 operator+(cV3 a, cV3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline cV3 operator-(cV3 a, cV3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline cV3 operator*(cV3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(cV3 a, cV3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline cV3 cross(cV3 a, cV3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
cV3 normalised(cV3 v);  // a zero vector stays zero

// A rigid placement: rotation about y by yaw (radians), then translation.
struct cPlacement {
    cV3 offset;
    double yaw = 0;
    cV3 apply(cV3 p) const;
    cV3 applyToNormal(cV3 n) const;
};

class cMeshBuilder {
public:
    std::vector<cV3> positions, normals;
    std::vector<double> texCoords;  // u, v per vertex
    std::vector<uint32_t> indices;  // three per triangle

    uint32_t vertex(cV3 position, cV3 normal, double u, double v);
    void triangle(uint32_t a, uint32_t b, uint32_t c);
    // Two triangles a-b-c, a-c-d; counter-clockwise seen from the front.
    void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    // A flat-shaded quad with its own four vertices, normal from its corners.
    void flatQuad(cV3 a, cV3 b, cV3 c, cV3 d, double uScale = 1, double vScale = 1);

    // A grid of vertices, rows x columns, joined into quads; wrapU joins the last column
    // back to the first through duplicated seam vertices (so texture u stays continuous).
    // position and normal are given (i, j) -> value for i in [0, rows), j in [0, columns].
    template <typename fPosition, typename fNormal>
    void grid(int rows, int columns, fPosition position, fNormal normal, double uScale,
              double vScale, bool flip = false);

    void append(const cMeshBuilder& other, const cPlacement& placement = {});

    size_t vertexCount() const { return positions.size(); }
    size_t triangleCount() const { return indices.size() / 3; }
    void bounds(cV3* low, cV3* high) const;

    cMeshFileData toFile() const;
};

template <typename fPosition, typename fNormal>
void cMeshBuilder::grid(int rows, int columns, fPosition position, fNormal normal, double uScale,
                        double vScale, bool flip) {
    const uint32_t first = uint32_t(positions.size());
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j <= columns; ++j)
            vertex(position(i, j), normal(i, j), uScale * j / columns, vScale * i / (rows - 1));
    for (int i = 0; i + 1 < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            const uint32_t a = first + i * (columns + 1) + j, b = a + 1;
            const uint32_t c = b + columns + 1, d = a + columns + 1;
            if (flip)
                quad(a, d, c, b);
            else
                quad(a, b, c, d);
        }
}

}  // namespace nimra::bake
