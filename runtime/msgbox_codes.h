#pragma once

// The message box codes of the program and the library; no Qt here, so the engine can name
// them.
namespace vendrik {

// Message box type codes (combinable: YesNo | Question). The icon is in the 0xF0 bits, the
// buttons in the low bits.
namespace mb {
inline constexpr unsigned Ok = 0x00;
inline constexpr unsigned YesNoCancel = 0x03;
inline constexpr unsigned YesNo = 0x04;
inline constexpr unsigned Stop = 0x10;
inline constexpr unsigned Question = 0x20;
inline constexpr unsigned Exclamation = 0x30;
inline constexpr unsigned Information = 0x40;
inline constexpr unsigned IconMask = 0xF0;
inline constexpr unsigned ButtonMask = 0x0F;
} // namespace mb

// What a message box returns.
namespace answer {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace answer

} // namespace vendrik
