// Virtual-key codes the game uses for keys (the desktop numbering the game's tables are written in).
#pragma once

namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Pause = 19, Capital = 20,
              Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38,
              Right = 39, Down = 40, Insert = 45, Delete = 46;
constexpr int Key0 = 48;    // digits 48..57
constexpr int KeyA = 65;    // letters 65..90
constexpr int Numpad0 = 96; // numeric pad digits 96..105
constexpr int Multiply = 106, Add = 107, Subtract = 109, Decimal = 110, Divide = 111;
constexpr int F1 = 112; // F1..F12 112..123
constexpr int NumLock = 144, Scroll = 145;
constexpr int Oem1 = 186, OemPlus = 187, OemComma = 188, OemMinus = 189, OemPeriod = 190, Oem2 = 191,
              Oem3 = 192, Oem4 = 219, Oem5 = 220, Oem6 = 221, Oem7 = 222;
} // namespace vk
