#pragma once

#include "app/Object.h"

// The picture with a progress bar shown while the demo loads. Loaders advance `progress` by
// `step` per item they load.
class LoadingScreen : public Object {
public:
    void setStep(float step) { step_ = step; }
    float getStep() const { return step_; }

    float progress = 0;

private:
    float step_ = 0;
};
