#pragma once
// Percentages through the rounding slots: ApplyPercentK gives the amount a percentage is of an amount,
// FindPercentK the percentage (with as few decimals as reproduce it) that a part is of an amount; K names
// the rounding slot (app::Useful.RoundSlot1..4, with whatever decimals the slot has at the call).

#include <array>

namespace kit {

// One unit of the d-th decimal, d = 1..8, at [d - 1].
inline constexpr std::array<double, 8> PercentSteps{0.1,     0.01,     0.001,     0.0001,
                                                    0.00001, 0.000001, 0.0000001, 0.00000001};

double ApplyPercent1(double amount, double percent);
double ApplyPercent2(double amount, double percent);
double ApplyPercent3(double amount, double percent);
double ApplyPercent4(double amount, double percent);

double FindPercent1(double amount, double part);
double FindPercent2(double amount, double part);
double FindPercent3(double amount, double part);
double FindPercent4(double amount, double part);

using PercentRoutine = double (*)(double, double);

} // namespace kit
