#pragma once

#include "app/Object.h"

// Owner of every GL binding and of the fixed-function state caches.
class Device : public Object {
public:
    Device() = default;
};
