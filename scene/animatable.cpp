#include "scene/animatable.h"

#include <cmath>
#include <limits>

namespace nimra {

cVec3f cAnimatableVec3f::evaluate(float time) const {
    // Links are followed by walking, not by recursion, so that neither a loop nor a very
    // long chain can exhaust the stack. Floyd's two pointers find a loop without memory;
    // stepping once more from the start and from the meeting point together then lands
    // on the first value of the chain that is reached twice.
    const cAnimatableVec3f* slow = this;
    const cAnimatableVec3f* fast = this;
    while (fast->linkedValue && fast->linkedValue->linkedValue) {
        slow = slow->linkedValue;
        fast = fast->linkedValue->linkedValue;
        if (slow == fast) {
            const cAnimatableVec3f* start = this;
            while (start != slow) {
                start = start->linkedValue;
                slow = slow->linkedValue;
            }
            return start->value;
        }
    }
    const cAnimatableVec3f* last = fast->linkedValue ? fast->linkedValue : fast;
    return last->ownValue(time);
}

cVec3f cAnimatableVec3f::ownValue(float time) const {
    if (tracks && trackIndex < tracks->size()) {
        cAnimationTrack* track = (*tracks)[trackIndex];
        if (track) {
            cVec3f sampled;
            track->sample(sampled, time, 0);
            return sampled;
        }
    }
    return value;
}

void cAnimatableVec3f::setValue(cVec3f v) {
    if (selectByValue) {
        // Converting a float outside int32 is undefined, so saturate first: values beyond
        // the range select no track either way, and NaN is treated like -1.
        int32_t selected = -1;
        if (v.x >= 2147483648.0f) {
            selected = std::numeric_limits<int32_t>::max();
        } else if (v.x > -2147483648.0f) {
            selected = static_cast<int32_t>(v.x);
        } else if (!std::isnan(v.x)) {
            selected = std::numeric_limits<int32_t>::min();
        }
        trackIndex = static_cast<uint32_t>(selected);
    }
    value = v;
}

}  // namespace nimra
