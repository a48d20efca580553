// The document's protection: the sections protected for forms and the settings' password
// record, lifted and written again as the word processor keeps them.
#include "OoxmlDocument.h"

#include "Edition.h"
#include "Failure.h"
#include "OoxmlXml.h"
#include "Protection.h"
#include "Resources.h"
#include "ZipReader.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

using namespace ooxml;

namespace {

// Word writes 100000 rounds; a margin, not billions (2000000000 would hash for half an hour).
constexpr int MaxSpinCount = 1000000;

} // namespace

int OoxmlDocument::SectionsCount()
{
    ensureOpen();
    return int(m_sections.size());
}

bool OoxmlDocument::ProtectedForForms(int section)
{
    ensureOpen();
    if (section < 1 || section > m_sections.size())
        throw Failure(QStringLiteral("文档中没有第 %1 节").arg(section));
    const pugi::xml_node mark = m_sections.at(section - 1).child("w:formProt");
    return mark && OnOff(mark.attribute("w:val"));
}

void OoxmlDocument::SetProtectedForForms(int section, bool on)
{
    ensureOpen();
    if (section < 1 || section > m_sections.size())
        throw Failure(QStringLiteral("文档中没有第 %1 节").arg(section));
    // Always explicit: some word processors read a missing element as protected.
    pugi::xml_node mark = ChildInOrder(m_sections.at(section - 1), "w:formProt", AfterFormProt);
    mark.remove_attribute("w:val");
    if (!on)
        mark.append_attribute("w:val") = "0";
}

pugi::xml_node OoxmlDocument::settingsRoot(bool create)
{
    if (!m_hasSettings && create) {
        m_settings.load_string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                               "<w:settings xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"/>",
                               ParseFlags);
        m_hasSettings = true;
        m_settingsCreated = true;
    }
    return m_settings.child("w:settings");
}

pugi::xml_node OoxmlDocument::protectionNode()
{
    return settingsRoot(false).child("w:documentProtection");
}

bool OoxmlDocument::IsProtected()
{
    ensureOpen();
    const pugi::xml_node node = protectionNode();
    const pugi::xml_attribute enforcement = node.attribute("w:enforcement");
    return node && enforcement && OnOff(enforcement);
}

namespace {

// The blank template was protected with ProtectPassword when the program was built; its salt
// and hash save the first opening of every document made from it the 100000 rounds.
void RememberTemplateProtection()
{
    const auto blank = ResourceBytes("word", "xms");
    if (!blank)
        return;
    const ZipReader::Opened zip = ZipReader::openData(*blank);
    const ZipReader::Contents settings = zip.reader ? zip.reader->readAll(QStringLiteral("word/settings.xml"))
                                                    : ZipReader::Contents{};
    pugi::xml_document xml;
    if (!settings.ok() || !xml.load_buffer(settings.bytes.constData(), size_t(settings.bytes.size())))
        return;
    const pugi::xml_node node = xml.child("w:settings").child("w:documentProtection");
    const QByteArray hash = QByteArray::fromBase64(node.attribute("w:hash").value());
    const QByteArray salt = QByteArray::fromBase64(node.attribute("w:salt").value());
    if (!hash.isEmpty())
        RememberProtectionHash(ProtectPassword, salt, node.attribute("w:cryptSpinCount").as_int(),
                               node.attribute("w:cryptAlgorithmSid").as_int(), hash);
}

} // namespace

Unprotection OoxmlDocument::Unprotect(const QString& password)
{
    ensureOpen();
    if (!IsProtected())
        return Unprotection::NotProtected;
    pugi::xml_node node = protectionNode();
    auto either = [&node](const char* a, const char* b) {
        const pugi::xml_attribute first = node.attribute(a);
        return QString::fromUtf8(first ? first.value() : node.attribute(b).value());
    };
    RememberedProtection found;
    found.hash = either("w:hash", "w:hashValue");
    found.salt = either("w:salt", "w:saltValue");
    found.spin = either("w:cryptSpinCount", "w:spinCount");
    found.sid = QString::fromUtf8(node.attribute("w:cryptAlgorithmSid").value());
    if (found.sid.isEmpty()) {
        const QString name = QString::fromUtf8(node.attribute("w:algorithmName").value()).toUpper();
        found.sid = name == "SHA-1" ? "4" : name == "SHA-256" ? "12" : name == "SHA-384" ? "13" : "14";
    }
    // Protection without a hash has no password: anyone may lift it.
    if (!found.hash.isEmpty()) {
        bool ok = false;
        const int spin = found.spin.isEmpty() ? 0 : found.spin.toInt(&ok);
        if ((!found.spin.isEmpty() && !ok) || spin < 0 || spin > MaxSpinCount)
            return Unprotection::WrongPassword;  // refused before any hashing
        // Told once, when a password is first checked: not every start opens a document.
        static const bool remembered = (RememberTemplateProtection(), true);
        Q_UNUSED(remembered);
        const QByteArray computed = ProtectionHash(password, QByteArray::fromBase64(found.salt.toLatin1()), spin,
                                                   found.sid.toInt());
        if (computed.toBase64() != found.hash.toLatin1())
            return Unprotection::WrongPassword;
    }
    found.passwordDigest = QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha256);
    found.valid = !found.hash.isEmpty();
    m_removed = found;
    settingsRoot(false).remove_child(node);
    return Unprotection::Lifted;
}

void OoxmlDocument::Protect(int type, bool, const QString& password)
{
    ensureOpen();
    static const char* const Edits[] = {"trackedChanges", "comments", "forms", "readOnly"};
    pugi::xml_node settings = settingsRoot(true);
    settings.remove_child("w:documentProtection");
    pugi::xml_node node = ChildInOrder(settings, "w:documentProtection", AfterDocumentProtection);
    node.append_attribute("w:edit") = Edits[type >= 0 && type <= 3 ? type : 2];
    node.append_attribute("w:enforcement") = "1";
    if (password.isEmpty())
        return;
    QString hash, salt;
    if (m_removed.valid && m_removed.passwordDigest == QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha256)
        && m_removed.sid == "14" && m_removed.spin == "100000") {
        // The protection lifted at opening, put back as it was: no need to spin the hash again.
        hash = m_removed.hash;
        salt = m_removed.salt;
    } else {
        QByteArray saltBytes(16, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(saltBytes.data()), 4);
        salt = QString::fromLatin1(saltBytes.toBase64());
        hash = QString::fromLatin1(ProtectionHash(password, saltBytes, 100000, 14).toBase64());
    }
    node.append_attribute("w:cryptProviderType") = "rsaAES";
    node.append_attribute("w:cryptAlgorithmClass") = "hash";
    node.append_attribute("w:cryptAlgorithmType") = "typeAny";
    node.append_attribute("w:cryptAlgorithmSid") = "14";
    node.append_attribute("w:cryptSpinCount") = "100000";
    node.append_attribute("w:hash") = hash.toLatin1().constData();
    node.append_attribute("w:salt") = salt.toLatin1().constData();
}
