#include "app/theme/ApplicationIcon.h"

#include "app/platform/ApplicationInfo.h"

// The pictures live in this static library; nothing else would pull them in.
static void initApplicationIconResource() { Q_INIT_RESOURCE(application_icon); }

namespace korvane {

QIcon applicationIcon() {
    initApplicationIconResource();
    QIcon icon;
    for (const int side : applicationInfo::iconSizes)
        icon.addFile(QStringLiteral(":/icons/application/%1.png").arg(side), QSize(side, side));
    return icon;
}

}  // namespace korvane
