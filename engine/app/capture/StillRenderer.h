#pragma once

#include "app/capture/CaptureJob.h"

#include <memory>
#include <string>
#include <vector>

class ContactSheet;
class PngWriter;

// Pictures of single beats: for each beat of --stills a PNG beat_<B>.png in the --out folder,
// drawn as --from would show that beat (the parts made afresh and their simulation run up to it),
// and with --sheet also a contact sheet of them all labelled with beat and part.
class StillRenderer : public CaptureJob {
public:
    explicit StillRenderer(DemoApplication& app);
    ~StillRenderer() override;

    bool next() override;
    bool finish() override;

    static std::string fileName(double beat);
    // The names of the parts active at `beat`, joined by " + ".
    static std::string partNames(float beat);

private:
    [[nodiscard]] bool start();
    bool fail(const std::string& error);

    DemoApplication& app_;
    std::string folder_;
    std::unique_ptr<PngWriter> writer_;
    std::unique_ptr<ContactSheet> sheet_;
    std::vector<uint8_t> pixels_;
    size_t next_ = 0;
    bool started_ = false;
    bool failed_ = false;
    std::string error_;
};
