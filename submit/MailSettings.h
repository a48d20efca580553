#pragma once
// The applicant's mail server: group "mail" of the settings file (the password lives in the
// desktop's secret store), and a proposal for an address's provider.
#include <QString>

struct MailServer {
    QString host;
    int port = 465;
    QString security = QStringLiteral("ssl");  // "ssl", "starttls" or "none"
    QString user;                              // empty: no login
    QString caFile;  // an authority trusted beside the system's (the office's own), or empty
    // The one certificate the user chose to trust for this server although it does not verify:
    // its public key ("sha256//BASE64") and, as it was shown, its owner and fingerprint.
    QString pinnedKey;
    QString pinnedCertificate;
    // The user agreed that the password may cross the network in clear to this server.
    bool plainLoginAgreed = false;
    bool isSet() const { return !host.trimmed().isEmpty(); }
};

// Group "mail" of the settings file.
MailServer ReadMailServer();
bool WriteMailServer(const MailServer& server);
// A server for the sender's address: the common providers of Chinese university and personal
// mail, else "smtp." + the domain on port 465 with SSL; the address is the user name.
MailServer ProposedServer(const QString& senderAddress);
// The key of the server's password in the secret store.
QString PasswordKey(const MailServer& server);

