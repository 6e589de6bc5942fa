#include "mesh_builder.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace nimra::bake {

cV3 normalised(cV3 v) {
    const double length = std::sqrt(dot(v, v));
    return length > 0 ? v * (1 / length) : v;
}

cV3 cPlacement::apply(cV3 p) const { return applyToNormal(p) + offset; }

cV3 cPlacement::applyToNormal(cV3 n) const {
    const double c = std::cos(yaw), s = std::sin(yaw);
    return {c * n.x + s * n.z, n.y, -s * n.x + c * n.z};
}

uint32_t cMeshBuilder::vertex(cV3 position, cV3 normal, double u, double v) {
    positions.push_back(position);
    normals.push_back(normalised(normal));
    texCoords.push_back(u);
    texCoords.push_back(v);
    return uint32_t(positions.size() - 1);
}

void cMeshBuilder::triangle(uint32_t a, uint32_t b, uint32_t c) {
    indices.insert(indices.end(), {a, b, c});
}

void cMeshBuilder::quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    triangle(a, b, c);
    triangle(a, c, d);
}

void cMeshBuilder::flatQuad(cV3 a, cV3 b, cV3 c, cV3 d, double uScale, double vScale) {
    const cV3 n = normalised(cross(b - a, d - a));
    const uint32_t ia = vertex(a, n, 0, 0), ib = vertex(b, n, uScale, 0);
    const uint32_t ic = vertex(c, n, uScale, vScale), id = vertex(d, n, 0, vScale);
    quad(ia, ib, ic, id);
}

void cMeshBuilder::append(const cMeshBuilder& other, const cPlacement& placement) {
    const uint32_t base = uint32_t(positions.size());
    for (size_t i = 0; i < other.positions.size(); ++i) {
        positions.push_back(placement.apply(other.positions[i]));
        normals.push_back(placement.applyToNormal(other.normals[i]));
    }
    texCoords.insert(texCoords.end(), other.texCoords.begin(), other.texCoords.end());
    for (uint32_t index : other.indices)
        indices.push_back(base + index);
}

void cMeshBuilder::bounds(cV3* low, cV3* high) const {
    const double big = std::numeric_limits<double>::max();
    *low = {big, big, big};
    *high = {-big, -big, -big};
    for (const cV3& p : positions) {
        *low = {std::min(low->x, p.x), std::min(low->y, p.y), std::min(low->z, p.z)};
        *high = {std::max(high->x, p.x), std::max(high->y, p.y), std::max(high->z, p.z)};
    }
}

namespace {

constexpr int32_t glStaticDraw = 0x88E4;
constexpr int32_t glArrayBuffer = 0x8892;
constexpr int32_t glElementArrayBuffer = 0x8893;
constexpr int32_t glFloat = 0x1406;
constexpr int32_t glUnsignedInt = 0x1405;

template <typename T>
cMeshBlock block(int32_t target, int32_t type, int32_t components, const std::vector<T>& values) {
    cMeshBlock b;
    b.usage = glStaticDraw;
    b.target = target;
    b.bytesPerComponent = 4;
    b.componentsPerElement = components;
    b.elementCount = int32_t(values.size() / components);
    b.componentType = type;
    b.data.resize(values.size() * 4);
    std::memcpy(b.data.data(), values.data(), b.data.size());
    return b;
}

std::vector<float> flatten(const std::vector<cV3>& vectors) {
    std::vector<float> out;
    out.reserve(vectors.size() * 3);
    for (const cV3& v : vectors)
        out.insert(out.end(), {float(v.x), float(v.y), float(v.z)});
    return out;
}

}  // namespace

cMeshFileData cMeshBuilder::toFile() const {
    static_assert(sizeof(float) == 4 && sizeof(uint32_t) == 4);
    cMeshFileData file;
    file.positions = block(glArrayBuffer, glFloat, 3, flatten(positions));
    file.indices = block(glElementArrayBuffer, glUnsignedInt, 3, indices);
    file.attributes.emplace_back("normal", block(glArrayBuffer, glFloat, 3, flatten(normals)));
    std::vector<float> uv(texCoords.begin(), texCoords.end());
    file.attributes.emplace_back("texCoord", block(glArrayBuffer, glFloat, 2, uv));
    return file;
}

}  // namespace nimra::bake
