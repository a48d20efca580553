#pragma once
// The desktop's secret store (through QtKeychain) behind the secrets seam. Where no secret
// service answers, what it is told is kept for the run only.
#include "Seams.h"

#include <QHash>

class KeychainSecrets : public SecretStore {
public:
    bool read(const QString& key, QString& secret) override;
    bool write(const QString& key, const QString& secret) override;

private:
    QHash<QString, QString> m_thisRun;
};
