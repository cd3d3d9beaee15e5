// base/key_names.cpp -- key names of the command line mapped onto key codes.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "base/virtual_keys.h"

namespace {

struct NamedKey {
    const char* name;
    int code;
};

const NamedKey namedKeys[] = {
    {"escape", vk::Escape}, {"esc", vk::Escape},    {"space", vk::Space},
    {"pageup", vk::Prior},  {"pgup", vk::Prior},    {"pagedown", vk::Next},
    {"pgdn", vk::Next},     {"left", vk::Left},     {"right", vk::Right},
    {"up", vk::Up},         {"down", vk::Down},     {"home", vk::Home},
    {"end", vk::End},       {"insert", vk::Insert}, {"delete", vk::Delete},
    {"return", vk::Return}, {"enter", vk::Return},  {"tab", vk::Tab},
    {"backspace", vk::Back},
};

std::string lowered(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

int virtualKeyFromName(const std::string& name) {
    std::string key = lowered(name);
    if (key.size() == 1 && isalnum(static_cast<unsigned char>(key[0])))
        return toupper(static_cast<unsigned char>(key[0]));
    if (key.size() >= 2 && key.size() <= 3 && key[0] == 'f') {
        bool digits = true;
        for (size_t i = 1; i < key.size(); ++i) digits = digits && isdigit(static_cast<unsigned char>(key[i]));
        int n = digits ? atoi(key.c_str() + 1) : 0;
        if (n >= 1 && n <= 12) return vk::F1 + n - 1;
    }
    for (const NamedKey& k : namedKeys)
        if (key == k.name) return k.code;
    return 0;
}

bool parseKeyChord(const std::string& text, KeyChord& out) {
    KeyChord chord;
    size_t start = 0;
    while (true) {
        size_t plus = text.find('+', start);
        std::string part = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (plus == std::string::npos) {
            chord.key = virtualKeyFromName(part);
            if (chord.key == 0) return false;
            out = chord;
            return true;
        }
        std::string mod = lowered(part);
        if (mod == "shift") chord.shift = true;
        else if (mod == "ctrl" || mod == "control") chord.ctrl = true;
        else return false;
        start = plus + 1;
    }
}
