#pragma once
// 4 x 4 single-precision transform in OpenGL's column-major layout: element (row r,
// column c) is m[4c + r], the translation sits in m[12..14], and m goes to and from GL
// unchanged. Column vectors: a point p becomes M p.

#include "math/vector.h"

namespace nimra {

class cMatrix4f {
public:
    float m[16];

    cMatrix4f();

    // Columns 0 to 3; any other index is ignored.
    cMatrix4f& setColumn(int i, cVec4f c);

    // Discards the previous content: identity with t in the last column.
    cMatrix4f& makeTranslation(const cVec3f& t);

    // M = M * N, so N acts first on a vector. N may be the receiver itself: the product is
    // gathered in scratch and copied over m only when complete.
    cMatrix4f& multiply(const cMatrix4f& n);
    cMatrix4f& operator*=(const cMatrix4f& n) { return multiply(n); }

    // The viewing matrix of gluLookAt: looks down its own -z with +y up. The previous
    // content of m does not matter.
    cMatrix4f& lookAt(const cVec3f& eye, const cVec3f& center, const cVec3f& up);

    const float* data() const { return m; }

private:
    float identity[16];
    float scratch[16];
};

}  // namespace nimra
