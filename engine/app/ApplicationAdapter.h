#pragma once

#include "app/ApplicationSDL.h"

// An empty layer between the platform layer and the demo application.
class ApplicationAdapter : public ApplicationSDL {};
