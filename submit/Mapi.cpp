#include "Mapi.h"

#include "BusyInput.h"
#include "Edition.h"
#include "MailTrust.h"
#include "Seams.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace {

MailServerAsker& Asker()
{
    static MailServerAsker asker;
    return asker;
}

} // namespace

void RunWithoutFreezing(const std::function<void()>& work)
{
    if (!QCoreApplication::instance()) {
        work();
        return;
    }
    // Only the windows marked for it (the progress window, the dialog that sends) take input
    // meanwhile: their 取消 can be pressed, nothing else can be started.
    const BusyInput busy;
    QEventLoop wait;
    QThread* worker = QThread::create(work);
    // Queued from the worker's thread, so it ends the loop even when the work is done at once.
    QObject::connect(worker, &QThread::finished, &wait, &QEventLoop::quit);
    worker->start();
    wait.exec();
    worker->wait();
    delete worker;
}

namespace {

constexpr int MaxAttempts = 5;

// One transfer, with the progress window's gauge and its 取消.
SmtpOutcome SendOnce(const MailServer& server, const QString& password, const MailMessage& message)
{
    SmtpOutcome outcome;
    ClearMailCancel();
    std::atomic<int> sent{0};
    progress().zipxMsg(QStringLiteral("正在发送邮件……"));
    progress().allowCancel(true);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&sent] {
        progress().setGauge(sent);
        if (progress().cancelRequested())
            CancelMailSending();
    });
    watch.start(100);
    RunWithoutFreezing([&] { outcome = SmtpSend(server, password, message, [&sent](int percent) { sent = percent; }); });
    progress().allowCancel(false);
    progress().Close();
    return outcome;
}

} // namespace

void SetMailServerAsker(MailServerAsker asker)
{
    Asker() = std::move(asker);
}

bool SendMapiMail(const QString& subject, const QString& body, const QString& attachment, const QString& senderName,
                  const QString& senderAddress, const QString& recipientName, const QString& recipientAddress)
{
    try {
        MailMessage message{subject, body, attachment, senderName, senderAddress, recipientName, recipientAddress};
        MailServer server = ReadMailServer();
        QString password;
        bool ready = server.isSet();
        if (ready && !server.user.isEmpty())
            ready = secrets().read(PasswordKey(server), password);
        // No server yet, or no password for it: the applicant is asked; cancelling is an abort.
        if (!ready)
            ready = Asker() && Asker()(senderAddress, server, password);
        // A password that would cross the network in clear goes only once the applicant agreed.
        if (ready && !AgreeToPlainLogin(server))
            ready = false;
        SmtpOutcome outcome = SmtpOutcome::Ended(ready ? int(MapiSuccess) : int(MapiUserAbort), QString());
        // A certificate trusted on the spot, or a server that asks to try later, gets the same
        // message again; nothing counts as sent until the server took it.
        for (int attempt = 0; ready && attempt < MaxAttempts; ++attempt) {
            outcome = SendOnce(server, password, message);
            if (outcome.failure == SmtpOutcome::Untrusted && TrustCertificateOnRequest(server))
                continue;
            if (outcome.failure == SmtpOutcome::Temporary && WaitToRetry(server, outcome))
                continue;
            break;
        }
        if (outcome.code == MapiSuccess) {
            ShowNotice(QStringLiteral("邮件已发送至 ") + recipientAddress.trimmed(), NoticeCaption);
            return true;
        }
        if (outcome.failure == SmtpOutcome::Cancelled)
            return false;  // the applicant ended it: nothing was sent, nothing more to say
        QString text = QStringLiteral("发邮件出错: ") + MapiResultText(outcome.code);
        if (ready && outcome.failure != SmtpOutcome::None)
            text += "\r\n" + FailureText(server, outcome);
        ShowNotice(text, NoticeCaption);
        return false;
    } catch (const std::exception&) {
        ShowNotice(QStringLiteral("发邮信出错，请检查您的OutLook Express能发邮件吗？"), NoticeCaption);
        return false;
    }
}
