#pragma once

#include "core/Object.h"

#include <string>

class DemoApplication;

// Work that the command line asks for instead of live play (a render, stills), done by the main
// loop one piece per frame so that closing the window or Ctrl-C stops it between pieces.
class CaptureJob : public Object {
public:
    ~CaptureJob() override = default;

    // Does the next piece of work; false when there is none left, because all is done or because
    // something failed.
    virtual bool next() = 0;
    // Completes the outputs, also after an early stop, while the demo is still loaded. False when
    // the capture failed or did not get to its end, after one line on standard error.
    virtual bool finish() = 0;

    // The end of the demo's timeline: the largest end beat of its parts.
    static double timelineEnd();
    // Whether `beat` lies on the timeline, [0, end); otherwise fills `error`.
    static bool checkBeat(const char* option, double beat, std::string& error);
    // The beat as it appears in file names and labels: "4", "4.5", "12.25".
    static std::string beatText(double beat);
};

// The job the application's command line asks for; null when it asks for live play.
[[nodiscard]] Ref<CaptureJob> createCaptureJob(DemoApplication& app);
