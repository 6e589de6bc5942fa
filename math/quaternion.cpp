#include "math/quaternion.h"

namespace nimra {

cQuaternion cQuaternion::operator*(const cQuaternion& b) const {
    const cQuaternion& a = *this;
    return cQuaternion(a.w * b.w - a.v.x * b.v.x - a.v.y * b.v.y - a.v.z * b.v.z,
                       a.w * b.v.x + a.v.x * b.w + a.v.y * b.v.z - a.v.z * b.v.y,
                       a.w * b.v.y + a.v.y * b.w + a.v.z * b.v.x - a.v.x * b.v.z,
                       a.w * b.v.z + a.v.z * b.w + a.v.x * b.v.y - a.v.y * b.v.x);
}

cVec3f cQuaternion::rotate(const cVec3f& p) const {
    const cQuaternion r(1.0f, p.x, p.y, p.z);
    return ((*this * r) * conjugate()).v;
}

cMatrix4f cQuaternion::toMatrix() const {
    const float x2 = v.x + v.x, y2 = v.y + v.y, z2 = v.z + v.z;
    const float xx = v.x * x2, xy = v.x * y2, xz = v.x * z2;
    const float yy = v.y * y2, yz = v.y * z2, zz = v.z * z2;
    const float wx = w * x2, wy = w * y2, wz = w * z2;

    cMatrix4f r;
    r.setColumn(0, cVec4f(1.0f - (yy + zz), xy + wz, xz - wy, 0.0f));
    r.setColumn(1, cVec4f(xy - wz, 1.0f - (xx + zz), yz + wx, 0.0f));
    r.setColumn(2, cVec4f(xz + wy, yz - wx, 1.0f - (xx + yy), 0.0f));
    r.setColumn(3, cVec4f(0.0f, 0.0f, 0.0f, 1.0f));
    return r;
}

}  // namespace nimra
