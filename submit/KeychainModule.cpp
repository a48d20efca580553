// The desktop's secret store through QtKeychain, as a module the program loads when the mail
// password is first needed: QtKeychain brings D-Bus and its libraries, which start-up need not
// load.
#include "Seams.h"

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

class QtKeychainStore : public SecretStore {
public:
    bool read(const QString& key, QString& secret) override
    {
        QKeychain::ReadPasswordJob job(Service);
        job.setKey(key);
        if (!Run(job))
            return false;
        secret = job.textData();
        return true;
    }
    bool write(const QString& key, const QString& secret) override
    {
        QKeychain::WritePasswordJob job(Service);
        job.setKey(key);
        job.setTextData(secret);
        return Run(job);
    }
};

} // namespace

extern "C" Q_DECL_EXPORT SecretStore* vantra_create_keychain()
{
    return new QtKeychainStore;
}
