#pragma once
// The certificate a mail server shows, fetched without trusting it, so that the user can be
// shown whose it is and choose to trust exactly this one for this server.
#include "MailSettings.h"

#include <QString>

struct ServerCertificate {
    QString owner;        // its subject, as a person reads it
    QString fingerprint;  // SHA-256 of the certificate, in hexadecimal pairs
    QString pin;          // "sha256//BASE64" of its public key, as the transport pins it
    bool ok() const { return !pin.isEmpty(); }
};

// Connects (with TLS at once or after STARTTLS, as the server's settings say), takes the
// certificate and says goodbye; nothing is sent. Empty when none could be had.
ServerCertificate FetchServerCertificate(const MailServer& server);
