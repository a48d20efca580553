#pragma once
// SendMapiMail: one message with the submission file attached, sent over SMTP with libcurl
// to the applicant's mail server. It keeps the fields and result codes of the mail call the
// program was designed around; the server comes from the settings file, the password from the
// desktop's secret store. The transport is SmtpTransport; this is the flow around it.
#include "MailSettings.h"
#include "SmtpTransport.h"

#include <QString>
#include <functional>

// Runs work beside the window, which stays painted and whose 取消 can be pressed, and returns
// when it is done.
void RunWithoutFreezing(const std::function<void()>& work);


// Asks the applicant for the server (and password); set by the server dialog. False: cancelled.
using MailServerAsker = std::function<bool(const QString& senderAddress, MailServer& server, QString& password)>;
void SetMailServerAsker(MailServerAsker asker);

// Sends the message; true when the server took it. On failure shows "发邮件出错: " + the text.
bool SendMapiMail(const QString& subject, const QString& body, const QString& attachment, const QString& senderName,
                  const QString& senderAddress, const QString& recipientName, const QString& recipientAddress);
