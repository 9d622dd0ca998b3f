#pragma once
// Control port values (the parameter's real units, as hosts show and automate
// them) against the effect's normalised 0..1 values.

namespace lv2plugin {

// The normalised value for a port value of parameter `id`: clamped into the
// parameter's range; a toggle is 1 above 0 and 0 otherwise. False for a value
// that is not a number, which changes nothing.
bool portToNormalised(int id, float portValue, float& normalised);

// The port value that shows the effect's normalised value of parameter `id`.
// A toggle reads 1 exactly when the effect treats the value as on.
float normalisedToPort(int id, float normalised);

} // namespace lv2plugin
