#pragma once

namespace sumwright::key_codes {

// A key as a Windows console reports it: one character, or for an extended
// key (arrows, function keys) this byte followed by the key's scan code.
inline constexpr char extended_prefix = '\xFF';

// Scan codes of the extended keys, as a US keyboard gives them; Alt with a
// digit gives one of its own, from alt_1 (Alt+1) to alt_0 (Alt+0).
enum class ScanCode : unsigned char {
    f1 = 59,
    f2 = 60,
    f3 = 61,
    f4 = 62,
    f5 = 63,
    f6 = 64,
    f7 = 65,
    f8 = 66,
    f9 = 67,
    f10 = 68,
    home = 71,
    up = 72,
    page_up = 73,
    left = 75,
    right = 77,
    end = 79,
    down = 80,
    page_down = 81,
    insert = 82,
    del = 83,
    alt_1 = 120,
    alt_0 = 129,
    f11 = 133,
    f12 = 134,
};

// Control keys as a terminal sends them.
inline constexpr char ctrl_a = '\x01';
inline constexpr char ctrl_c = '\x03';
inline constexpr char ctrl_d = '\x04';
inline constexpr char ctrl_e = '\x05';
inline constexpr char backspace = '\b';
inline constexpr char line_feed = '\n';
inline constexpr char carriage_return = '\r';
inline constexpr char ctrl_u = '\x15';
inline constexpr char ctrl_z = '\x1A';
inline constexpr char escape = '\x1B';
inline constexpr char ctrl_backslash = '\x1C';
inline constexpr char del_character = '\x7F';  // what Backspace sends on most terminals

}  // namespace sumwright::key_codes
