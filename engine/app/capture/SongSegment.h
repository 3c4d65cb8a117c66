#pragma once

#include <cstdint>
#include <string>

class Song;

// Writes `count` sample frames of the decoded song from sample frame `first` (at the song's
// mixing rate) as a 16-bit WAV file; what lies before the song's start or after its end is
// silence. Answers false after filling `error` with one line.
[[nodiscard]] bool writeSongSegment(const Song& song, int64_t first, int64_t count, const std::string& path,
                                    std::string& error);
