#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

using namespace nimra;

namespace {

cMatrix4f fromRows(const float rows[4][4]) {
    cMatrix4f r;
    for (int c = 0; c < 4; ++c)
        r.setColumn(c, cVec4f(rows[0][c], rows[1][c], rows[2][c], rows[3][c]));
    return r;
}

void expectMatrixNear(const cMatrix4f& a, const float* expected, float tolerance = 1e-6f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], expected[i], tolerance) << "element " << i;
}

}  // namespace

TEST(Vectors, DefaultsArithmeticAndNormalising) {
    cVec2f a;
    cVec3f b;
    cVec4f c;
    EXPECT_EQ(a.x + a.y, 0.0f);
    EXPECT_EQ(b.x + b.y + b.z, 0.0f);
    EXPECT_EQ(c.x + c.y + c.z + c.w, 0.0f);

    cVec2f v(3.0f, 4.0f);
    EXPECT_FLOAT_EQ(v.length(), 5.0f);
    v.normalise();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);

    const cVec2f sum = cVec2f(1, 2) + cVec2f(3, 5) * 2.0f - cVec2f(1, 1);
    EXPECT_EQ(sum.x, 6.0f);
    EXPECT_EQ(sum.y, 11.0f);

    // The normalised copy leaves the receiver alone.
    const cVec3f w(0.0f, 0.0f, 2.0f);
    const cVec3f n = w.normalised();
    EXPECT_EQ(w.z, 2.0f);
    EXPECT_EQ(n.z, 1.0f);

    // Right-handed cross product, receiver on the left.
    const cVec3f z = cVec3f(1, 0, 0).cross(cVec3f(0, 1, 0));
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);
    EXPECT_EQ((-z).z, -1.0f);
}

TEST(Vectors, ZeroLengthNormaliseIsNotFinite) {
    cVec2f zero;
    zero.normalise();
    EXPECT_FALSE(std::isfinite(zero.x));
}

TEST(Vectors, ReadFromTextStream) {
    std::istringstream in("1.5 -2 3e2 oops");
    cVec3f v, bad;
    in >> v;
    EXPECT_TRUE(in.good());
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, -2.0f);
    EXPECT_EQ(v.z, 300.0f);
    in >> bad;
    EXPECT_TRUE(in.fail());
}

TEST(Matrix, ConstructionColumnsAndTranslation) {
    cMatrix4f m;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectMatrixNear(m, identity, 0.0f);

    m.setColumn(2, cVec4f(9, 8, 7, 6));
    EXPECT_EQ(m.m[8], 9.0f);
    EXPECT_EQ(m.m[11], 6.0f);

    // An index outside 0..3 changes nothing.
    cMatrix4f before = m;
    m.setColumn(4, cVec4f(1, 1, 1, 1));
    m.setColumn(-1, cVec4f(1, 1, 1, 1));
    expectMatrixNear(m, before.m, 0.0f);

    // Translation discards the previous content.
    m.makeTranslation(cVec3f(1, 2, 3));
    const float translated[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    expectMatrixNear(m, translated, 0.0f);
}

TEST(Matrix, ProductOrderAndSelfMultiply) {
    const float aRows[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
    const float bRows[4][4] = {{2, 0, 0, 1}, {0, 3, 0, 2}, {1, 0, 1, 0}, {0, 0, 0, 1}};
    cMatrix4f a = fromRows(aRows);
    const cMatrix4f b = fromRows(bRows);

    // Expected A * B, worked out row by column.
    float expected[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += aRows[r][k] * bRows[k][c];
            expected[4 * c + r] = s;
        }
    cMatrix4f ab = a;
    ab.multiply(b);
    expectMatrixNear(ab, expected);

    // Squaring in place must use the old elements throughout.
    float square[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += aRows[r][k] * aRows[k][c];
            square[4 * c + r] = s;
        }
    a.multiply(a);
    expectMatrixNear(a, square);

    // N acts first: translate then scale-by-2 matrix applied to a point.
    cMatrix4f t;
    t.makeTranslation(cVec3f(1, 0, 0));
    cMatrix4f s;
    s.setColumn(0, cVec4f(2, 0, 0, 0));
    s.multiply(t);  // S * T: translation first, then scale
    EXPECT_EQ(s.m[12], 2.0f);
}

TEST(Matrix, LookAt) {
    cMatrix4f m;
    m.makeTranslation(cVec3f(7, 7, 7));  // previous content must not leak through
    m.setColumn(0, cVec4f(3, 3, 3, 3));
    m.lookAt(cVec3f(0, 0, 5), cVec3f(0, 0, 0), cVec3f(0, 1, 0));
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1};
    expectMatrixNear(m, expected);

    // A camera on +x looking at the origin: its -z axis is world -x.
    cMatrix4f side;
    side.lookAt(cVec3f(10, 0, 0), cVec3f(0, 0, 0), cVec3f(0, 2, 0));
    // Row 2 is -f = (1, 0, 0); the eye lands at depth -10 in view space.
    EXPECT_NEAR(side.m[2], 1.0f, 1e-6f);
    EXPECT_NEAR(side.m[14], -10.0f, 1e-5f);
    // The three rotation rows stay unit length.
    for (int r = 0; r < 3; ++r) {
        const float len =
            side.m[r] * side.m[r] + side.m[4 + r] * side.m[4 + r] + side.m[8 + r] * side.m[8 + r];
        EXPECT_NEAR(len, 1.0f, 1e-6f);
    }
}

TEST(Quaternion, IdentityScalingConjugateAndMatrix) {
    const cQuaternion identity(1, 0, 0, 0);
    const cVec3f v(1.5f, -2.0f, 3.0f);
    const cVec3f same = identity.rotate(v);
    EXPECT_EQ(same.x, v.x);
    EXPECT_EQ(same.y, v.y);
    EXPECT_EQ(same.z, v.z);
    const float id[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectMatrixNear(identity.toMatrix(), id, 0.0f);

    // A non-unit quaternion scales by its squared norm.
    const cVec3f four = cQuaternion(2, 0, 0, 0).rotate(v);
    EXPECT_EQ(four.x, 6.0f);
    EXPECT_EQ(four.y, -8.0f);
    EXPECT_EQ(four.z, 12.0f);

    // 90 degrees about z: x goes to y, in the vector and in the matrix alike.
    const float h = std::sqrt(0.5f);
    const cQuaternion q(h, 0, 0, h);
    const cVec3f r = q.rotate(cVec3f(1, 0, 0));
    EXPECT_NEAR(r.x, 0.0f, 1e-6f);
    EXPECT_NEAR(r.y, 1.0f, 1e-6f);
    const cMatrix4f qm = q.toMatrix();
    EXPECT_NEAR(qm.m[1], 1.0f, 1e-6f);  // column 0 = image of x
    EXPECT_NEAR(qm.m[4], -1.0f, 1e-6f);

    const cQuaternion p = q * q.conjugate();
    EXPECT_NEAR(p.w, 1.0f, 1e-6f);
    EXPECT_NEAR(p.v.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.v.y, 0.0f, 1e-6f);
    EXPECT_NEAR(p.v.z, 0.0f, 1e-6f);

    // Operand order matters: i * j = k, j * i = -k.
    const cQuaternion i(0, 1, 0, 0), j(0, 0, 1, 0);
    EXPECT_EQ((i * j).v.z, 1.0f);
    EXPECT_EQ((j * i).v.z, -1.0f);
}
