#pragma once
// The desktop's secret store behind the secrets seam, through the keychain module loaded at its
// first use. Where the module or a secret service is missing, what it is told is kept for the
// run only.
#include "Seams.h"

#include <QHash>
#include <memory>

class KeychainSecrets : public SecretStore {
public:
    bool read(const QString& key, QString& secret) override;
    bool write(const QString& key, const QString& secret) override;

private:
    SecretStore* store();
    std::unique_ptr<SecretStore> m_store;
    bool m_tried = false;
    QHash<QString, QString> m_thisRun;
};
