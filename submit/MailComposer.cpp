#include "MailComposer.h"

#include <gmime/gmime.h>
#include <mutex>

namespace {

void InitGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

QByteArray Utf8(const QString& text)
{
    return text.toUtf8();
}

// The object of a GLib type that goes with the scope.
template <class T>
struct Owned {
    T* object;
    ~Owned()
    {
        if (object)
            g_object_unref(object);
    }
};

bool IsAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0x7e || c.unicode() < 0x20)
            return false;
    return true;
}

// RFC 2047 words short enough that any header line holding one stays within 78 characters
// ("Subject: " or a parameter's indent before it). Each word ends on a whole character, as a
// reader that decodes word by word needs. GMime would write a Chinese subject, or a name
// parameter, as one word of any length.
QList<QByteArray> EncodedWords(const QString& text)
{
    constexpr int WordBytes = 39;  // 52 characters of base64, a word of 64
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray character = text.mid(i, length).toUtf8();
        i += length - 1;
        if (chunk.size() + character.size() > WordBytes) {
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
            chunk.clear();
        }
        chunk += character;
    }
    if (!chunk.isEmpty())
        words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
    return words;
}

} // namespace

QByteArray ComposeMail(const ComposedMail& mail)
{
    InitGMime();
    Owned<GMimeMessage> message{g_mime_message_new(TRUE)};
    if (!mail.senderAddress.isEmpty())
        g_mime_message_add_mailbox(message.object, GMIME_ADDRESS_TYPE_FROM, Utf8(mail.senderName).constData(),
                                   Utf8(mail.senderAddress).constData());
    if (!mail.recipientAddress.isEmpty())
        g_mime_message_add_mailbox(message.object, GMIME_ADDRESS_TYPE_TO, Utf8(mail.recipientName).constData(),
                                   Utf8(mail.recipientAddress).constData());
    if (IsAscii(mail.subject))
        g_mime_message_set_subject(message.object, Utf8(mail.subject).constData(), "utf-8");
    else  // GMime folds between the words
        g_mime_object_set_header(GMIME_OBJECT(message.object), "Subject",
                                 EncodedWords(mail.subject).join(' ').constData(), nullptr);
    GDateTime* date = g_date_time_new_from_unix_local(mail.date.toSecsSinceEpoch());
    g_mime_message_set_date(message.object, date);
    g_date_time_unref(date);
    const QByteArray id = mail.messageId.mid(1, mail.messageId.size() - 2);  // GMime adds the brackets
    g_mime_message_set_message_id(message.object, id.constData());
    if (!mail.mailer.isEmpty())
        g_mime_object_set_header(GMIME_OBJECT(message.object), "X-Mailer", mail.mailer.constData(), nullptr);

    Owned<GMimeTextPart> text{g_mime_text_part_new_with_subtype("plain")};
    g_mime_text_part_set_charset(text.object, "UTF-8");
    g_mime_text_part_set_text(text.object, Utf8(mail.body).constData());
    g_mime_part_set_content_encoding(GMIME_PART(text.object), GMIME_CONTENT_ENCODING_BASE64);

    if (mail.attachmentName.isEmpty()) {
        g_mime_message_set_mime_part(message.object, GMIME_OBJECT(text.object));
    } else {
        Owned<GMimeMultipart> mixed{g_mime_multipart_new_with_subtype("mixed")};
        g_mime_multipart_add(mixed.object, GMIME_OBJECT(text.object));
        Owned<GMimePart> file{g_mime_part_new_with_type("application", "octet-stream")};
        Owned<GMimeStream> bytes{g_mime_stream_mem_new_with_buffer(mail.attachment.constData(), size_t(mail.attachment.size()))};
        Owned<GMimeDataWrapper> content{g_mime_data_wrapper_new_with_stream(bytes.object, GMIME_CONTENT_ENCODING_DEFAULT)};
        g_mime_part_set_content(file.object, content.object);
        g_mime_part_set_content_encoding(file.object, GMIME_CONTENT_ENCODING_BASE64);
        // Both forms of the name, for the mail programs that read only one of them: the
        // type's name as encoded words, the disposition's filename in RFC 2231.
        const QByteArray name = Utf8(mail.attachmentName);
        g_mime_part_set_filename(file.object, name.constData());
        GMimeContentType* type = g_mime_object_get_content_type(GMIME_OBJECT(file.object));
        if (GMimeParam* p = g_mime_param_list_get_parameter(g_mime_content_type_get_parameters(type), "name"))
            g_mime_param_set_encoding_method(p, GMIME_PARAM_ENCODING_METHOD_RFC2047);
        if (!IsAscii(mail.attachmentName)) {
            // The encoded name folded between its words inside the quotes, as the common mail
            // programs write it; GMime keeps a parameter's value on one line.
            GMimeHeader* header =
                g_mime_header_list_get_header(g_mime_object_get_header_list(GMIME_OBJECT(file.object)), "Content-Type");
            const QByteArray folded =
                " application/octet-stream;\n\tname=\"" + EncodedWords(mail.attachmentName).join("\n ") + "\"\n";
            g_mime_header_set_raw_value(header, folded.constData());
        }
        GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(GMIME_OBJECT(file.object));
        if (GMimeParam* p = g_mime_param_list_get_parameter(g_mime_content_disposition_get_parameters(disposition), "filename"))
            g_mime_param_set_encoding_method(p, GMIME_PARAM_ENCODING_METHOD_RFC2231);
        g_mime_multipart_add(mixed.object, GMIME_OBJECT(file.object));
        g_mime_message_set_mime_part(message.object, GMIME_OBJECT(mixed.object));
    }

    GMimeFormatOptions* options = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
    Owned<GMimeStream> out{g_mime_stream_mem_new()};
    g_mime_object_write_to_stream(GMIME_OBJECT(message.object), options, out.object);
    g_mime_format_options_free(options);
    GByteArray* written = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.object));
    return QByteArray(reinterpret_cast<const char*>(written->data), qsizetype(written->len));
}
