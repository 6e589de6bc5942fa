#include "math/matrix.h"

#include <cstring>

namespace nimra {

cMatrix4f::cMatrix4f() {
    for (int i = 0; i < 16; ++i)
        identity[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    std::memcpy(m, identity, sizeof(m));
    std::memset(scratch, 0, sizeof(scratch));
}

cMatrix4f& cMatrix4f::setColumn(int i, cVec4f c) {
    if (i < 0 || i > 3) return *this;
    m[4 * i + 0] = c.x;
    m[4 * i + 1] = c.y;
    m[4 * i + 2] = c.z;
    m[4 * i + 3] = c.w;
    return *this;
}

cMatrix4f& cMatrix4f::makeTranslation(const cVec3f& t) {
    std::memcpy(m, identity, sizeof(m));
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
    return *this;
}

cMatrix4f& cMatrix4f::multiply(const cMatrix4f& n) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            // One four-term sum, narrowed to float once.
            const double sum = static_cast<double>(m[r]) * n.m[4 * c] +
                               static_cast<double>(m[4 + r]) * n.m[4 * c + 1] +
                               static_cast<double>(m[8 + r]) * n.m[4 * c + 2] +
                               static_cast<double>(m[12 + r]) * n.m[4 * c + 3];
            scratch[4 * c + r] = static_cast<float>(sum);
        }
    }
    std::memcpy(m, scratch, sizeof(m));
    return *this;
}

cMatrix4f& cMatrix4f::lookAt(const cVec3f& eye, const cVec3f& center, const cVec3f& up) {
    cVec3f f = center - eye;
    f.normalise();
    const cVec3f u0 = up.normalised();
    cVec3f s = f.cross(u0);
    cVec3f u = s.cross(f);  // taken before s is normalised
    s.normalise();
    u.normalise();

    setColumn(0, cVec4f(s.x, u.x, -f.x, 0.0f));
    setColumn(1, cVec4f(s.y, u.y, -f.y, 0.0f));
    setColumn(2, cVec4f(s.z, u.z, -f.z, 0.0f));
    setColumn(3, cVec4f(0.0f, 0.0f, 0.0f, 1.0f));

    cMatrix4f t;
    t.makeTranslation(-eye);
    return multiply(t);
}

}  // namespace nimra
