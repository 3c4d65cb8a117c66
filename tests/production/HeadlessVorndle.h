#pragma once

#include "Vorndle.h"

// The production with the platform's presentation stubbed: frames are drawn into the hidden
// test context, never shown, and the end of the demo is only counted.
class HeadlessVorndle : public Vorndle {
public:
    explicit HeadlessVorndle(int width = 320, int height = 180) {
        settings.width = width;
        settings.height = height;
        options.noSound = true;
        options.noMessageBox = true;
    }
    void swapBuffers() override {}
    void requestQuit() override { ++quits; }
    int quits = 0;
};
