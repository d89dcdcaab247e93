#include "ui/qt/dialog_units.h"

#include <QFontMetrics>

namespace lumivex::qt {

namespace {

// number * numerator / denominator, rounded half away from zero.
int mul_div(int number, int numerator, int denominator) {
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

DialogBaseUnits dialog_base_units(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabet / 26 + 1) / 2, metrics.height()};
}

QRect to_pixels(DialogBaseUnits units, int x, int y, int width, int height) {
    return {mul_div(x, units.x, 4), mul_div(y, units.y, 8), mul_div(width, units.x, 4),
            mul_div(height, units.y, 8)};
}

} // namespace lumivex::qt
