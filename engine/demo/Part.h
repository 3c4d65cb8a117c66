#pragma once

#include "core/Object.h"

class Device;
class InputStream;
class LoadingScreen;
class OutputStream;

// A timed section of a demo: self-contained content that the timeline updates and renders while
// the demo time (in beats) lies inside its interval.
class Part : public Object {
public:
    ~Part() override = default;

    // Creates the part's resources; may advance the loading screen. False aborts loading.
    [[nodiscard]] virtual bool load(Ref<LoadingScreen>& loadingScreen) = 0;
    // Releases the part's resources. Must be safe on a part that never (fully) loaded.
    virtual void unload() = 0;
    // Saved-state hooks; the timeline never calls them.
    [[nodiscard]] virtual bool readState(InputStream&) { return true; }
    virtual bool writeState(OutputStream&) { return true; }
    virtual void update(float time, float step) = 0;
    virtual void render(Ref<Device>& device, float time, float step) = 0;

protected:
    // An object the concrete part creates and uses while rendering; released with the part.
    Ref<Object> perPartObject;
};
