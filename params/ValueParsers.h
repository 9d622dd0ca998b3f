#pragma once
// Value displays read back: the text a parameter's formatter writes (see
// ValueFormatters.h), or one a user types into a host's field, turned into
// the real value it shows. Words and units are read as the displays write
// them, in any case; a bare number is taken in the unit the display shows
// (percent, milliseconds, hertz, decibels, the decay's -10..+10 scale, the
// width's factor), except for St.Balance and St.Inputs, whose displays are
// words: there it is the real value from -1 to 1.
namespace param {

// False for text that names no value, and for ids without a display
// (switches, actions, the path values). The value is not clamped to the range.
bool parseValueText(int id, const char* text, double& real);

} // namespace param
