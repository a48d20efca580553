#include "MailParser.h"

#include <gmime/gmime.h>
#include <mutex>

namespace {

void InitOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

QString Text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8).trimmed() : QString();
}

// The first mailbox of an address list: its name and address.
std::pair<QString, QString> FirstMailbox(InternetAddressList* list)
{
    if (!list)
        return {};
    for (int i = 0; i < internet_address_list_length(list); ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address))
            return {Text(internet_address_get_name(address)),
                    Text(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)))};
    }
    return {};
}

QByteArray Decoded(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    GMimeStream* out = g_mime_stream_mem_new();
    g_mime_data_wrapper_write_to_stream(content, out);
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out));
    QByteArray copy(reinterpret_cast<const char*>(bytes->data), qsizetype(bytes->len));
    g_object_unref(out);
    return copy;
}

// Every part, forwarded messages included, at most MaxMailParts of them and MaxMailNesting deep.
class Walker {
public:
    explicit Walker(ParsedMail& mail) : m_mail(mail) {}
    bool walk(GMimeObject* object, int depth)
    {
        if (!object)
            return true;
        if (++m_parts > MaxMailParts) {
            m_mail.problem = QStringLiteral("邮件的部分过多（超过 %1 个），没有读取").arg(MaxMailParts);
            return false;
        }
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i)
                if (!walk(g_mime_multipart_get_part(multipart, i), depth))
                    return false;
        } else if (GMIME_IS_MESSAGE_PART(object)) {
            if (depth + 1 > MaxMailNesting) {
                m_mail.problem = QStringLiteral("邮件中转发的邮件层次过深，没有读取");
                return false;
            }
            if (GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object)))
                return walk(g_mime_message_get_mime_part(inner), depth + 1);
        } else if (GMIME_IS_PART(object)) {
            GMimePart* part = GMIME_PART(object);
            const QString name = Text(g_mime_part_get_filename(part));
            if (IsApplicationFileName(name))
                m_mail.attachments.append({name, Decoded(part)});
        }
        return true;
    }

private:
    ParsedMail& m_mail;
    int m_parts = 0;
};

} // namespace

bool IsApplicationFileName(const QString& name)
{
    const QString lower = name.toLower();
    return lower.size() > 4 && (lower.endsWith(QLatin1String(".qvs")) || lower.endsWith(QLatin1String(".qvx")));
}

QString ParsedMail::from() const
{
    if (fromName.isEmpty())
        return fromAddress;
    return fromAddress.isEmpty() ? fromName : fromName + " <" + fromAddress + ">";
}

ParsedMail ParseMail(const QByteArray& raw)
{
    InitOnce();
    ParsedMail mail;
    GMimeParserOptions* options = g_mime_parser_options_new();
    // Names and subjects as Chinese mail programs write them: 8-bit text in GB 18030 (which
    // GBK and GB 2312 are part of) where no charset is named, encoded words inside quotes.
    const char* charsets[] = {"UTF-8", "GB18030", nullptr};
    g_mime_parser_options_set_fallback_charsets(options, charsets);
    g_mime_parser_options_set_rfc2047_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(raw.constData(), size_t(raw.size()));
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, options);
    if (!message) {
        mail.problem = QStringLiteral("邮件格式有误，没有读取");
    } else {
        mail.messageId = Text(g_mime_message_get_message_id(message));
        std::tie(mail.fromName, mail.fromAddress) = FirstMailbox(g_mime_message_get_from(message));
        mail.replyTo = FirstMailbox(g_mime_message_get_reply_to(message)).second;
        if (mail.replyTo.isEmpty())
            mail.replyTo = mail.fromAddress;
        mail.subject = Text(g_mime_message_get_subject(message));
        if (GDateTime* date = g_mime_message_get_date(message))
            mail.date = QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(date));
        mail.ok = Walker(mail).walk(g_mime_message_get_mime_part(message), 0);
        if (!mail.ok)
            mail.attachments.clear();
        g_object_unref(message);
    }
    g_object_unref(parser);
    g_object_unref(stream);
    g_mime_parser_options_free(options);
    return mail;
}
