#pragma once

#include "scene/Controller.h"

// Shows the node while the envelope is above 0.5 and hides it otherwise.
class EnableController : public Controller {
public:
    explicit EnableController(const Ref<Envelope>& envelope) : envelope_(envelope) {}
    void update(Node& node, float time) override;
    const Ref<Envelope>& envelope() const { return envelope_; }

private:
    Ref<Envelope> envelope_;
};
