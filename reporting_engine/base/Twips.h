#pragma once

// Twips (1/1440 inch) are the engine's unit for every position and size.
namespace engine::twips {

inline constexpr double perInch = 1440.0;
inline constexpr double perPoint = 20.0;

constexpr double toPoints(double t) { return t / perPoint; }
constexpr double fromInches(double inches) { return inches * perInch; }
constexpr double toInches(double t) { return t / perInch; }

} // namespace engine::twips
