#pragma once

#include <QFont>
#include <QRect>

namespace lumivex::qt {

// A font's dialog base units: average character width and character height in pixels.
struct DialogBaseUnits {
    int x;
    int y;
};

// Computed as Windows computes them for a dialog font.
DialogBaseUnits dialog_base_units(const QFont& font);

// A rectangle in dialog units as pixels: position and size each rounded as Windows rounds
// them when it creates a dialog from its template.
QRect to_pixels(DialogBaseUnits units, int x, int y, int width, int height);

} // namespace lumivex::qt
