#pragma once

// Key codes handed to onKeyDown/onKeyUp. Printable keys give their character; these are the
// special keys.
namespace keys {
constexpr int Escape = 27;
constexpr int Delete = 127;
constexpr int Up = 273;
constexpr int Down = 274;
constexpr int Right = 275;
constexpr int Left = 276;
constexpr int Insert = 277;
constexpr int Home = 278;
constexpr int End = 279;
constexpr int PageUp = 280;
constexpr int PageDown = 281;
constexpr int F1 = 282; // F1..F12 are 282..293
constexpr int RightShift = 303;
constexpr int LeftShift = 304;
constexpr int RightControl = 305;
constexpr int LeftControl = 306;
} // namespace keys

// Mouse buttons handed to onMouseDown/onMouseUp.
namespace mouse {
constexpr int Left = 1;
constexpr int Right = 2;
constexpr int Middle = 3;
constexpr int WheelDown = 4; // wheel turned away from the screen
constexpr int WheelUp = 5;   // wheel turned towards the screen
} // namespace mouse

// Maps an SDL key code and modifier state to our key code (0 when the key has none).
int translateKey(int sdlKey, unsigned short modifiers);
