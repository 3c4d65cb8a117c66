#pragma once

#include "core/Object.h"
#include "scene/Envelope.h"

class Node;

// Writes animated values into one node every frame; a node runs its controllers in list order
// before it rebuilds its local matrix. Controllers hold no state besides their inputs.
class Controller : public Object {
public:
    virtual void update(Node& node, float time) = 0;
    virtual bool reservedCheck1(int) { return true; }
    virtual bool reservedCheck2(int) { return true; }

    // The transform controllers take the loader's nine envelope slots in this order.
    enum Slot { SlotX, SlotY, SlotZ, SlotH, SlotP, SlotB, SlotSX, SlotSY, SlotSZ, SlotCount };
    using Slots = Ref<Envelope>[SlotCount];

protected:
    // Envelopes live apart from their nodes; asking for all of a controller's at once lets the
    // memory fetches overlap instead of queueing behind each evaluation.
    static void prefetch(const Ref<Envelope>* envelopes, int count) {
        for (int i = 0; i < count; ++i)
            __builtin_prefetch(envelopes[i].get());
    }
    // An empty slot leaves the component as it was.
    static void write(float& target, const Ref<Envelope>& envelope, float time) {
        if (envelope)
            target = envelope->evaluate(time);
    }
    static void writeNegated(float& target, const Ref<Envelope>& envelope, float time) {
        if (envelope)
            target = -envelope->evaluate(time);
    }
};
