#pragma once

#include <string>
#include <string_view>

// One line of the control channel, parsed. The words:
//   seek BEAT     play from BEAT (as --from would start there)
//   pause, play   hold or resume the picture and the music
//   loop A B      loop the beats [A, B); "loop off" ends the loop
//   speed X       play at X times the tempo, 0.25 to 2
//   reload        load everything again at the current beat
//   still FILE    save the next frame as a PNG picture
//   status        the beat, play or pause, speed and loop
//   quit          end the program
struct ControlCommand {
    enum Kind { Seek, Pause, Play, Loop, LoopOff, Speed, Reload, Still, Status, Quit };
    Kind kind = Status;
    double first = 0;  // seek's beat, loop's start, speed's factor
    double second = 0; // loop's end
    std::string path;  // still's file
};

// Parses one line (its newline removed; a trailing carriage return is allowed). On anything else
// answers false with `error` set to a short reason. Checks only the form: whether a beat lies on
// the timeline is for the caller.
[[nodiscard]] bool parseControlCommand(std::string_view line, ControlCommand& out, std::string& error);
