#include "StartPackage.h"

#include "Edition.h"
#include "Files.h"

#include <QFileInfo>

StartDocument UnpackAtStart(PackageState& state, const QString& package,
                            const std::function<QString(const QString& proposed)>& askName)
{
    QString target = UnpackTarget(package);
    if (QFileInfo::exists(target)) {
        const QString answer = askName(target);
        if (answer.isEmpty())
            return {};
        target = ChangeExtension(answer, ExtPrefix + "x");
    }
    const PackResult unpacked = ExtractPackage(state, package, target);
    return {target, unpacked.ok ? QString() : unpacked.message};
}
