#pragma once
// Rotation value: w first, then the vector part. Nothing normalises it; a unit
// quaternion is a rotation, any other scales as well.

#include "math/matrix.h"
#include "math/vector.h"

namespace nimra {

struct cQuaternion {
    float w;
    cVec3f v;

    cQuaternion(float w_, float x, float y, float z) : w(w_), v(x, y, z) {}

    cQuaternion& set(float w_, float x, float y, float z) {
        w = w_;
        v.set(x, y, z);
        return *this;
    }
    cQuaternion& copy(const cQuaternion& q) {
        w = q.w;
        v = q.v;
        return *this;
    }

    cQuaternion conjugate() const { return cQuaternion(w, -v.x, -v.y, -v.z); }

    // Hamilton product, the receiver on the left.
    cQuaternion operator*(const cQuaternion& b) const;

    // (q * (1, v)) * conjugate(q), vector part. The w of 1 (not 0) is how the engine has
    // always rotated; for a unit q the vector part is the same either way.
    cVec3f rotate(const cVec3f& p) const;

    cMatrix4f toMatrix() const;
};

}  // namespace nimra
