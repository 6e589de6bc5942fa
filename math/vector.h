#pragma once
// Small single-precision vectors. Plain values: public fields, no allocation, no checks.
// Every result component is narrowed to float when stored; lengths take the square
// root in double precision.

#include <cmath>
#include <istream>

namespace nimra {

// One line per operation, so each type reads as a table of its arithmetic.
// clang-format off

struct cVec2f {
    float x = 0.0f;
    float y = 0.0f;

    cVec2f() = default;
    cVec2f(float a, float b) : x(a), y(b) {}

    cVec2f& clear() { x = y = 0.0f; return *this; }
    cVec2f& set(float a, float b) { x = a; y = b; return *this; }
    cVec2f& set(const float* a, const float* b) { x = *a; y = *b; return *this; }
    cVec2f& copy(const cVec2f& b) { x = b.x; y = b.y; return *this; }

    cVec2f operator+(const cVec2f& b) const { return cVec2f(x + b.x, y + b.y); }
    cVec2f operator-(const cVec2f& b) const { return cVec2f(x - b.x, y - b.y); }
    cVec2f operator*(float s) const { return cVec2f(s * x, s * y); }

    cVec2f& operator+=(const cVec2f& b) { x += b.x; y += b.y; return *this; }
    cVec2f& operator-=(const cVec2f& b) { x -= b.x; y -= b.y; return *this; }
    cVec2f& operator*=(float s) { x *= s; y *= s; return *this; }

    float length() const { return static_cast<float>(std::sqrt(static_cast<double>(x * x + y * y))); }

    // A zero vector gives non-finite components; callers never normalise one on purpose.
    cVec2f& normalise() {
        const float k = static_cast<float>(1.0 / length());
        x *= k;
        y *= k;
        return *this;
    }

    const float* data() const { return &x; }
};

struct cVec3f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    cVec3f() = default;
    cVec3f(float a, float b, float c) : x(a), y(b), z(c) {}

    cVec3f& clear() { x = y = z = 0.0f; return *this; }
    cVec3f& set(float a, float b, float c) { x = a; y = b; z = c; return *this; }
    cVec3f& set(const float* a, const float* b, const float* c) { x = *a; y = *b; z = *c; return *this; }
    cVec3f& copy(const cVec3f& b) { x = b.x; y = b.y; z = b.z; return *this; }

    cVec3f operator+(const cVec3f& b) const { return cVec3f(x + b.x, y + b.y, z + b.z); }
    cVec3f operator-(const cVec3f& b) const { return cVec3f(x - b.x, y - b.y, z - b.z); }
    cVec3f operator*(float s) const { return cVec3f(s * x, s * y, s * z); }
    cVec3f operator-() const { return cVec3f(-x, -y, -z); }

    cVec3f& operator+=(const cVec3f& b) { x += b.x; y += b.y; z += b.z; return *this; }
    cVec3f& operator-=(const cVec3f& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
    cVec3f& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }

    float length() const {
        return static_cast<float>(std::sqrt(static_cast<double>(x * x + y * y + z * z)));
    }

    cVec3f& normalise() {
        const float k = static_cast<float>(1.0 / length());
        x *= k;
        y *= k;
        z *= k;
        return *this;
    }

    cVec3f normalised() const { return cVec3f(*this).normalise(); }

    // The receiver is the left operand.
    cVec3f cross(const cVec3f& b) const {
        return cVec3f(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
    }

    const float* data() const { return &x; }
};

// Three whitespace-separated floats, x then y then z; failure shows in the stream state.
inline std::istream& operator>>(std::istream& in, cVec3f& v) { return in >> v.x >> v.y >> v.z; }

struct cVec4f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    cVec4f() = default;
    cVec4f(float a, float b, float c, float d) : x(a), y(b), z(c), w(d) {}

    cVec4f& clear() { x = y = z = w = 0.0f; return *this; }
    cVec4f& set(float a, float b, float c, float d) { x = a; y = b; z = c; w = d; return *this; }
    cVec4f& set(const float* a, const float* b, const float* c, const float* d) {
        x = *a; y = *b; z = *c; w = *d;
        return *this;
    }
    cVec4f& copy(const cVec4f& b) { x = b.x; y = b.y; z = b.z; w = b.w; return *this; }

    const float* data() const { return &x; }
};

// clang-format on

}  // namespace nimra
