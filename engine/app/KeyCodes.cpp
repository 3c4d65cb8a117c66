#include "app/KeyCodes.h"

#include <SDL.h>

int translateKey(int sdlKey, unsigned short modifiers) {
    switch (sdlKey) {
    case SDLK_PAGEUP:
        return keys::PageUp;
    case SDLK_PAGEDOWN:
        return keys::PageDown;
    case SDLK_END:
        return keys::End;
    case SDLK_HOME:
        return keys::Home;
    case SDLK_LEFT:
        return keys::Left;
    case SDLK_UP:
        return keys::Up;
    case SDLK_RIGHT:
        return keys::Right;
    case SDLK_DOWN:
        return keys::Down;
    case SDLK_INSERT:
        return keys::Insert;
    case SDLK_DELETE:
        return keys::Delete;
    case SDLK_LSHIFT:
        return keys::LeftShift;
    case SDLK_RSHIFT:
        return keys::RightShift;
    case SDLK_LCTRL:
        return keys::LeftControl;
    case SDLK_RCTRL:
        return keys::RightControl;
    default:
        break;
    }
    if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F12)
        return keys::F1 + (sdlKey - SDLK_F1);
    // Keys without a character (scancode-based codes: modifiers, media keys) give 0.
    if (sdlKey <= 0 || (sdlKey & SDLK_SCANCODE_MASK) || sdlKey > 0x10FFFF)
        return 0;
    // SDL names printable keys by their unshifted character; shift and caps lock give capitals,
    // as the keyboard layout would.
    bool shifted = (modifiers & KMOD_SHIFT) != 0;
    bool caps = (modifiers & KMOD_CAPS) != 0;
    if (sdlKey >= 'a' && sdlKey <= 'z' && (shifted != caps))
        return sdlKey - 'a' + 'A';
    return sdlKey;
}
