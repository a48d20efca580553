#include "KeychainSecrets.h"

#include <QCoreApplication>
#include <QLibrary>

SecretStore* KeychainSecrets::store()
{
    if (m_tried)
        return m_store.get();
    m_tried = true;
    const QStringList places = {QCoreApplication::applicationDirPath() + QStringLiteral("/vantra_keychain"),
                                QCoreApplication::applicationDirPath() + QStringLiteral("/" VANTRA_HELPER_RELDIR "/vantra_keychain")};
    for (const QString& place : places) {
        QLibrary module(place);
        if (!module.load())
            continue;
        using Create = SecretStore* (*)();
        if (const auto create = reinterpret_cast<Create>(module.resolve("vantra_create_keychain"))) {
            m_store.reset(create());
            break;
        }
    }
    return m_store.get();
}

bool KeychainSecrets::read(const QString& key, QString& secret)
{
    if (const auto kept = m_thisRun.constFind(key); kept != m_thisRun.constEnd()) {
        secret = *kept;
        return true;
    }
    return store() && store()->read(key, secret);
}

bool KeychainSecrets::write(const QString& key, const QString& secret)
{
    if (store() && store()->write(key, secret)) {
        m_thisRun.remove(key);
        return true;
    }
    m_thisRun.insert(key, secret);  // no secret service: for this run only
    return true;
}
