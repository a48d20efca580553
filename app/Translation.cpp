#include "Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator* InstallQtChinese()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QStringLiteral("/usr/share/qt6/translations")})
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
            QCoreApplication::installTranslator(translator);
            return translator;
        }
    delete translator;
    return nullptr;
}
