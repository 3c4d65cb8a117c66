#pragma once

#include <string>

class DemoApplication;

// Reads a demo description ("data/demo.xml"): the song and its tempo, render targets, programs with
// their sampler settings, image textures and meshes. Everything it creates goes into the named
// registries; the song and its start, stop and looping go into the application. Stops at the first
// error and answers false, after one diagnostic line naming the file, the element and the reason;
// what was registered before the error stays registered until the application unloads.
// What a load makes: everything; everything but the song, whose element is checked and tempo
// taken while the application's song stays as it is (a reload whose song file is unchanged); or,
// with the song kept too, only the programs not registered yet (a reload after shader edits).
enum class DescriptionLoad { Everything, KeepSong, MissingPrograms };
[[nodiscard]] bool loadDemoDescription(const std::string& path, DemoApplication& application,
                                       DescriptionLoad what = DescriptionLoad::Everything);

// A size attribute: a number, or text containing "screen" for `screenSize`, divided by N when
// "screen" is followed by "/N". Answers false for unreadable text or a zero divisor.
[[nodiscard]] bool parseScreenSize(const char* text, int screenSize, int& out);
