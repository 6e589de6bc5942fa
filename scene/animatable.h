#pragma once
// Values that can change over time. A cAnimatableVec3f is a constant, or one of several
// selectable tracks, or a link to another animatable vector, in that order of precedence
// from the last: a link wins over the tracks, a track over the constant.
//
// Nothing here owns what it points at: tracks and linked values belong to whoever built
// the animation and must outlive the values that use them.

#include <cstdint>
#include <vector>

#include "math/vector.h"

namespace nimra {

class cAnimatableObject {
public:
    virtual int32_t typeCode() const = 0;

protected:
    // Animatables are never deleted through the base, so the base adds no slot of its own
    // ahead of the concrete kinds' destructors.
    ~cAnimatableObject() = default;
};

// Anything that can supply a vector for a time: keyframes, curves, procedural motion.
// The time arrives unchanged; clamping, looping and interpolation are the track's business.
class cAnimationTrack {
public:
    virtual void sample(cVec3f& out, float time, int32_t flags) = 0;
    virtual ~cAnimationTrack() = default;
};

class cAnimatableVec3f : public cAnimatableObject {
public:
    const std::vector<cAnimationTrack*>* tracks = nullptr;
    uint32_t trackIndex = 0;
    bool selectByValue = false;
    const cAnimatableVec3f* linkedValue = nullptr;
    cVec3f value;

    cAnimatableVec3f() = default;
    explicit cAnimatableVec3f(const cVec3f& constant) : value(constant) {}

    int32_t typeCode() const override { return 0; }
    virtual ~cAnimatableVec3f() = default;

    // The linked value if there is one (followed to the end of the chain), else the
    // selected track, else the constant. A chain that loops back on itself yields the
    // constant of the first value it returns to; an empty track slot yields the constant.
    cVec3f evaluate(float time) const;

    // Always stores v as the constant. With selectByValue set, v.x also picks the track,
    // truncated toward zero: 2.9 picks track 2, and anything at or below -1 (or NaN)
    // picks none.
    void setValue(cVec3f v);
    void setTrackIndex(uint32_t i) { trackIndex = i; }

    void setSelectByValue(bool on) { selectByValue = on; }
    void attachTracks(const std::vector<cAnimationTrack*>* list) { tracks = list; }
    void link(const cAnimatableVec3f* target) { linkedValue = target; }

private:
    // Rules 2 and 3 of evaluate, for the value at the end of a chain.
    cVec3f ownValue(float time) const;
};

}  // namespace nimra
