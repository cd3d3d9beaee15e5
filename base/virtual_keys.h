// base/virtual_keys.h -- the key codes that index the key arrays (the classic virtual-key
// numbering), and the names the command line uses for them; no window system here.
#pragma once

#include <string>

namespace vk {
constexpr int LButton = 0x01;
constexpr int RButton = 0x02;
constexpr int MButton = 0x04;
constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Menu = 0x12; // Alt
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Prior = 0x21; // Page Up
constexpr int Next = 0x22;  // Page Down
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;
constexpr int Digit0 = 0x30; // '0'..'9' are their ASCII codes
constexpr int LetterA = 0x41; // 'A'..'Z' are their ASCII codes
constexpr int F1 = 0x70;      // F1..F12 follow in order
constexpr int Count = 256;
} // namespace vk

// One key of a --press list: a key code plus the modifiers held with it.
struct KeyChord {
    int key = 0;
    bool shift = false;
    bool ctrl = false;
};

// Parses "Q", "F2", "PageDown", "Shift+PageDown", "Ctrl+Shift+W" (names are not case
// sensitive). False for an unknown name.
bool parseKeyChord(const std::string& text, KeyChord& out);

// The code of one key name ("A", "F5", "Left", "Escape", ...), 0 when unknown.
int virtualKeyFromName(const std::string& name);

// The held state of Shift, Ctrl, Escape and the three mouse buttons, read at the moment
// of each test (vk::Shift, vk::Control, vk::Escape, vk::LButton, vk::RButton, vk::MButton).
class HeldKeys {
public:
    virtual ~HeldKeys() = default;
    virtual bool isHeld(int key) const = 0;
};
