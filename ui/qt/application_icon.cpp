#include "ui/qt/application_icon.h"

namespace lumivex::qt {

QIcon application_icon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/lumivex-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/lumivex-16.png"), QSize(16, 16));
    return icon;
}

} // namespace lumivex::qt
