#pragma once
// The questions a mail server can raise, asked before anything goes wrong quietly: a password
// that would cross the network in clear, a certificate that does not verify, a server that asks
// to try again later. Shared by the sending and by "测试连接".
#include "MailSettings.h"
#include "SmtpTransport.h"

// Before a login on an unencrypted connection: the server is asked what it offers, and where
// it wants a password the user is warned and asked once for this server. True when the sending
// may go on; the server's user is cleared where no login is offered (no password goes then).
bool AgreeToPlainLogin(MailServer& server);

// After a certificate that did not verify: its owner and fingerprint are shown and the user may
// trust exactly this certificate for this server (pinned in server). True to try again.
bool TrustCertificateOnRequest(MailServer& server);

// After a 4xx answer: offers to try again after the delay the server names, counting down in the
// progress window with its 取消. True when the time is up.
bool WaitToRetry(const MailServer& server, const SmtpOutcome& outcome);

// Keeps what was trusted or agreed for the saved server, where server is it.
void RememberTrust(const MailServer& server);
