#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The sky report of assetinfo: an atmosphere configured from a scene file, sampled over hours.
struct SkyHours {
    float from = 0, to = 0;
    long count = 0;
};

// One sampled hour, what the picture shows.
struct SkyPoint {
    float hour;
    float elevationDegrees;
    float colour[3];
};

// Configures a fresh model from the first "atmosphere" element of `path` (document order, any
// depth) as the scene loader does and writes one JSON line per sampled hour to `out`, and keeps a
// point per hour in `points` when given. False, after one diagnostic line, when the file cannot be
// read, has no such element or the element does not configure.
[[nodiscard]] bool describeSky(const std::string& path, const SkyHours& hours, std::FILE* out,
                               std::vector<SkyPoint>* points);

// Draws sun elevation (a curve over a day/night background, grid every 30 degrees and at each hour)
// and the transmitted sun colour (a band under it) across the sampled hours as a PNG picture.
[[nodiscard]] bool plotSky(const std::string& path, const SkyHours& hours,
                           const std::vector<SkyPoint>& points);

// The --sky mode: every file described, the picture drawn for a single file. Exit status 1 when a
// file fails, when --plot comes without --sky or with several files, or the picture is not written.
int reportSkies(const std::vector<std::string>& files, const SkyHours& hours, bool sky,
                const std::string& plot);
