#include "KeychainSecrets.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("vantra");
constexpr int AnswerWithinMs = 5000;  // a secret service that does not answer counts as absent

bool Run(QKeychain::Job& job)
{
    QEventLoop wait;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &wait, [&] {
        finished = true;
        wait.quit();
    });
    QTimer::singleShot(AnswerWithinMs, &wait, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!finished)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    return finished && job.error() == QKeychain::NoError;
}

} // namespace

bool KeychainSecrets::read(const QString& key, QString& secret)
{
    if (const auto kept = m_thisRun.constFind(key); kept != m_thisRun.constEnd()) {
        secret = *kept;
        return true;
    }
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(key);
    if (!Run(job))
        return false;
    secret = job.textData();
    return true;
}

bool KeychainSecrets::write(const QString& key, const QString& secret)
{
    QKeychain::WritePasswordJob job(Service);
    job.setKey(key);
    job.setTextData(secret);
    if (Run(job)) {
        m_thisRun.remove(key);
        return true;
    }
    m_thisRun.insert(key, secret);  // no secret service: for this run only
    return true;
}
