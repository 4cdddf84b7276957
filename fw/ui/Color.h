#pragma once
#include <cstdint>
#include <QColor>
#include <QString>
#include <string_view>

namespace fw {

// Colours as the program stores them: 0x00BBGGRR (red in the low byte). Values with the high byte 0x80
// name system colours.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clWindowText = 0x80000008;

// The Qt colour of a stored colour; system colours come from the application palette.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// The font family that stands in for a family named in a form or in the settings ("Arial" and
// "Arial CE" become "Liberation Sans").
QString FontFamily(std::string_view name);

// Makes the forms' own face the application's default font, at the platform's size. Left to the
// platform, "Sans Serif" may resolve to any face the machine has: on a machine with only the Liberation
// fonts fontconfig picks Liberation Mono.
void UseProgramFont();

} // namespace fw
