#include "scene/spatial_node.h"

#include <cmath>
#include <cstring>
#include <iomanip>
#include <istream>
#include <limits>
#include <locale>
#include <ostream>
#include <sstream>
#include <streambuf>

namespace nimra {

namespace {

constexpr std::streamsize kUnbounded = std::numeric_limits<std::streamsize>::max();

cVec3f scaled(const cVec3f& a, const cVec3f& s) { return cVec3f(a.x * s.x, a.y * s.y, a.z * s.z); }

// Stores only a whole field: four bytes cut short leave the target as it was.
bool read32(std::istream& in, uint32_t& bits) {
    unsigned char b[4];
    if (!in.read(reinterpret_cast<char*>(b), 4)) return false;
    bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

void readInt(std::istream& in, int32_t& target) {
    uint32_t bits;
    if (read32(in, bits)) std::memcpy(&target, &bits, sizeof target);
}

void readFloat(std::istream& in, float& target) {
    uint32_t bits;
    if (read32(in, bits)) std::memcpy(&target, &bits, sizeof target);
}

void put32(std::string& out, uint32_t bits) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void putInt(std::string& out, int32_t value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put32(out, bits);
}

void putFloat(std::string& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put32(out, bits);
}

// The binary name: bytes up to a zero byte, appended to what the name already holds.
void appendBinaryName(std::istream& in, std::string& name) {
    size_t appended = 0;
    char c;
    while (in.get(c) && c != '\0') {
        if (appended == kMaxNodeNameBytes) {
            in.setstate(std::ios::failbit);
            return;
        }
        name.push_back(c);
        ++appended;
    }
}

// std::getline, except that a line longer than limit fails the stream instead of growing
// the string without end.
void readLine(std::istream& in, std::string& line, size_t limit) {
    const std::istream::sentry ok(in, true);
    if (!ok) return;
    line.clear();
    using traits = std::char_traits<char>;
    std::streambuf* buffer = in.rdbuf();
    std::ios::iostate state = std::ios::goodbit;
    size_t extracted = 0;
    for (;;) {
        const traits::int_type c = buffer->sbumpc();
        if (traits::eq_int_type(c, traits::eof())) {
            state |= std::ios::eofbit;
            break;
        }
        ++extracted;
        const char ch = traits::to_char_type(c);
        if (ch == '\n') break;
        if (line.size() == limit) {
            state |= std::ios::failbit;
            break;
        }
        line.push_back(ch);
    }
    if (extracted == 0) state |= std::ios::failbit;
    in.setstate(state);
}

// Labels and discarded lines are skipped without being kept, so their length costs nothing.
// A line without ':' runs its label on into the lines after it.
void skipLabel(std::istream& in) { in.ignore(kUnbounded, ':'); }
void skipLine(std::istream& in) { in.ignore(kUnbounded, '\n'); }

}  // namespace

void cSpatialNode::update(float time, const cSpatialNode* parent) {
    if (!parent) {
        if (localDirty) {
            const cVec3f animated = position.evaluate(time);
            const cVec3f rotatedOffset = localRotation.rotate(offset);
            pendingMove = (animated + rotatedOffset) - worldPosition;
            worldRotation = localRotation;
            worldScale = localScale;
            worldChanged = true;
        } else {
            worldChanged = false;
        }
        effectiveEnabled = enabled;
        effectiveItems = &items;
        return;
    }

    const cSpatialNode& p = *parent;
    if (p.worldChanged || localDirty) {
        // The parent's position joins before the parent's scale and rotation apply, and
        // the offset is not rotated: this is how the engine has always placed children.
        const cVec3f animated = position.evaluate(time);
        const cVec3f local = scaled(animated + offset + p.worldPosition, p.worldScale);
        pendingMove = p.worldRotation.rotate(local) - worldPosition;
        worldRotation = p.worldRotation * localRotation;
        worldScale = scaled(localScale, p.worldScale);
        worldChanged = true;
    } else {
        worldChanged = false;
    }
    effectiveItems = items.empty() ? p.effectiveItems : &items;
    effectiveEnabled = p.effectiveEnabled ? enabled : false;
}

void cSpatialNode::commit(int32_t) {
    if (worldChanged) {
        worldPosition += pendingMove;
        worldRotationMatrix = worldRotation.toMatrix();
    }
    pendingMove.clear();
    localDirty = false;
    // worldChanged stays until the next update: children updated after this commit read it.
}

bool cSpatialNode::loadStream(std::istream& in, bool binary, int32_t version) {
    if (!in.good()) return false;
    if (version != 1) return true;
    return binary ? loadBinary(in) : loadText(in);
}

bool cSpatialNode::loadBinary(std::istream& in) {
    appendBinaryName(in, name);
    readInt(in, tagA);
    readInt(in, tagB);
    cVec3f p;
    readFloat(in, p.x);
    readFloat(in, p.y);
    readFloat(in, p.z);
    position.setValue(p);
    readFloat(in, localRotation.v.x);
    readFloat(in, localRotation.v.y);
    readFloat(in, localRotation.v.z);
    readFloat(in, localRotation.w);
    readFloat(in, localScale.x);
    readFloat(in, localScale.y);
    readFloat(in, localScale.z);
    return in.good();
}

bool cSpatialNode::loadText(std::istream& in) {
    skipLabel(in);
    readLine(in, name, kMaxNodeNameBytes);
    skipLabel(in);
    in >> tagA;
    skipLabel(in);
    in >> tagB;
    in.ignore(1);
    for (int i = 0; i < 3; ++i)
        skipLine(in);

    skipLabel(in);
    cVec3f p;
    in >> p;
    position.setValue(p);
    skipLabel(in);
    in >> localRotation.v.x >> localRotation.v.y >> localRotation.v.z >> localRotation.w;
    skipLabel(in);
    in >> localScale;

    in.ignore(2);
    for (int i = 0; i < 3; ++i)
        skipLine(in);
    return in.good();
}

bool writeNodeBinary(std::ostream& out, const cSpatialNode& node) {
    if (node.name.size() > kMaxNodeNameBytes || node.name.find('\0') != std::string::npos)
        return false;

    // The record keeps the position's constant; tracks and links are not part of it.
    std::string bytes = node.name;
    bytes.push_back('\0');
    putInt(bytes, node.tagA);
    putInt(bytes, node.tagB);
    const cVec3f& p = node.position.value;
    const cQuaternion& q = node.localRotation;
    const cVec3f& s = node.localScale;
    for (float f : {p.x, p.y, p.z, q.v.x, q.v.y, q.v.z, q.w, s.x, s.y, s.z})
        putFloat(bytes, f);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeNodeText(std::ostream& out, const cSpatialNode& node) {
    if (node.name.size() > kMaxNodeNameBytes || node.name.find('\n') != std::string::npos)
        return false;
    const cVec3f& p = node.position.value;
    const cQuaternion& q = node.localRotation;
    const cVec3f& s = node.localScale;
    // Formatted extraction reads neither "inf" nor "nan".
    for (float f : {p.x, p.y, p.z, q.v.x, q.v.y, q.v.z, q.w, s.x, s.y, s.z}) {
        if (!std::isfinite(f)) return false;
    }

    // Enough digits that every float reads back as itself, whatever the caller's locale.
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(std::numeric_limits<float>::max_digits10);
    text << "name:" << node.name << '\n';
    text << "tagA: " << node.tagA << '\n';
    text << "tagB: " << node.tagB << '\n';
    text << "\n\n\n";
    text << "position: " << p.x << ' ' << p.y << ' ' << p.z << '\n';
    text << "rotation: " << q.v.x << ' ' << q.v.y << ' ' << q.v.z << ' ' << q.w << '\n';
    text << "scale: " << s.x << ' ' << s.y << ' ' << s.z << '\n';
    text << "\n\n\n\n";
    const std::string bytes = text.str();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace nimra
