#include "MailCertificate.h"

#include "CurlLibrary.h"

#include <QByteArray>
#include <QFile>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace {

constexpr long FetchTimeoutSeconds = 15;

size_t Discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

ServerCertificate Described(const QByteArray& pem)
{
    ServerCertificate certificate;
    BIO* bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    X509* x509 = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    if (bio)
        BIO_free(bio);
    if (!x509)
        return certificate;
    // Its subject as a person reads it, a Chinese organisation's name in its own characters.
    if (BIO* out = BIO_new(BIO_s_mem())) {
        X509_NAME_print_ex(out, X509_get_subject_name(x509), 0,
                           (XN_FLAG_ONELINE | ASN1_STRFLGS_UTF8_CONVERT) & ~ASN1_STRFLGS_ESC_MSB);
        char* text = nullptr;
        const long length = BIO_get_mem_data(out, &text);
        certificate.owner = QString::fromUtf8(text, length);
        BIO_free(out);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(x509, EVP_sha256(), digest, &length) == 1)
        certificate.fingerprint = QString::fromLatin1(QByteArray(reinterpret_cast<char*>(digest), int(length)).toHex(':').toUpper());
    // The key's SubjectPublicKeyInfo, hashed as libcurl pins keys.
    unsigned char* spki = nullptr;
    const int spkiLength = i2d_PUBKEY(X509_get0_pubkey(x509), &spki);
    if (spkiLength > 0 && EVP_Digest(spki, size_t(spkiLength), digest, &length, EVP_sha256(), nullptr) == 1)
        certificate.pin = "sha256//" + QString::fromLatin1(QByteArray(reinterpret_cast<char*>(digest), int(length)).toBase64());
    OPENSSL_free(spki);
    X509_free(x509);
    return certificate;
}

} // namespace

ServerCertificate FetchServerCertificate(const MailServer& server)
{
    const CurlLibrary* api = Curl();
    if (!api || server.security == QLatin1String("none"))
        return {};
    CURL* curl = api->easy_init();
    if (!curl)
        return {};
    QString host = server.host.trimmed();
    if (host.contains(':'))
        host = "[" + host + "]";
    const QString scheme = server.security == QLatin1String("ssl") ? QStringLiteral("smtps") : QStringLiteral("smtp");
    const QByteArray url = (scheme + "://" + host + ":" + QString::number(server.port)).toUtf8();
    api->easy_setopt(curl, CURLOPT_URL, url.constData());
    api->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    api->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, FetchTimeoutSeconds);
    api->easy_setopt(curl, CURLOPT_TIMEOUT, FetchTimeoutSeconds);
    // Only looked at, never trusted: nothing but the greeting and NOOP crosses this connection.
    api->easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    api->easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    api->easy_setopt(curl, CURLOPT_CERTINFO, 1L);
    if (server.security == QLatin1String("starttls"))
        api->easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    api->easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");
    api->easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    ServerCertificate certificate;
    if (api->easy_perform(curl) == CURLE_OK) {
        curl_certinfo* info = nullptr;
        api->easy_getinfo(curl, CURLINFO_CERTINFO, &info);
        // The server's own certificate comes first.
        if (info && info->num_of_certs > 0)
            for (curl_slist* field = info->certinfo[0]; field; field = field->next) {
                const QByteArray text(field->data);
                if (text.startsWith("Cert:"))
                    certificate = Described(text.mid(5));
            }
    }
    api->easy_cleanup(curl);
    return certificate;
}
