#include "ui/qt/wrapping_push_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace lumivex::qt {

void WrappingPushButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString label = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int mnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)
                             ? Qt::TextShowMnemonic
                             : Qt::TextHideMnemonic;
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap | mnemonic, palette(),
                         isEnabled(), label, QPalette::ButtonText);
}

} // namespace lumivex::qt
