#pragma once

#include "render/Query.h"
#include "scene/Envelope.h"
#include "scene/State.h"

#include <string>

// Authoring aid: measures with an occlusion query, in every colour pass, whether any fragment of
// its subtree passes the depth test, records each change of that answer as a Stepped key (1
// visible, 0 hidden) at the demo time, and on destruction writes the keys as an `enable` element
// that, pasted into the scene file, switches the subtree by time in later runs.
class NodeCulling : public State {
public:
    explicit NodeCulling(std::string fileName);
    // Writes the element when at least one key was recorded, then names the file on standard error.
    ~NodeCulling() override;

    void beginUpdate(float time) override { time_ = time; }
    void apply(StateSet& stateSet) override;
    void restore(StateSet& stateSet) override;

    // Records one measured answer (the logic of restore, without GL).
    void record(bool visible);
    // The `enable` element for the recorded keys; false (nothing written) when the stream fails.
    bool writeElement(std::ostream& out) const;

    const std::string& fileName() const { return fileName_; }
    const Ref<Envelope>& visibility() const { return visibility_; }
    bool lastVisible() const { return lastVisible_; }
    bool noKeyYet() const { return noKeyYet_; }

private:
    std::string fileName_;
    Ref<Envelope> visibility_;
    bool lastVisible_ = false;
    bool noKeyYet_ = true;
    float time_ = 0;
    Ref<Query> query_;
};
