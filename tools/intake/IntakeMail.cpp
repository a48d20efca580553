#include "IntakeMail.h"

#include "MailParser.h"

#include <QFile>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Fetched messages waiting for a reader: a few, so that memory does not grow with the mailbox.
constexpr size_t WaitingMessages = 4;
constexpr int WaitMs = 200;

QString MessagePath(const MailOrigin& origin)
{
    return QStringLiteral("%1;UIDVALIDITY=%2;UID=%3").arg(origin.mailbox).arg(origin.uidValidity).arg(origin.uid);
}

IntakeFile MessageFile(const QString& shown, IntakeFile::Kind kind, qint64 size)
{
    IntakeFile file;
    file.shownPath = shown;
    file.path = QFile::encodeName(shown);
    file.kind = kind;
    file.size = size;
    return file;
}

// A row for the message as a whole: why it holds nothing to take.
IntakeRow MessageRefused(const MailOrigin& origin, const QByteArray& raw, qint64 size, const QString& why)
{
    IntakeRow row;
    row.file = MessageFile(MessagePath(origin), IntakeFile::Package, size);
    row.sha256 = raw.isEmpty() ? QString() : Sha256Hex(raw.constData(), raw.size());
    row.message = why;
    row.mail = origin;
    return row;
}

template <class T>
class Queue {
public:
    explicit Queue(size_t capacity) : m_capacity(capacity) {}
    void put(T item)
    {
        std::unique_lock<std::mutex> locked(m_mutex);
        m_room.wait(locked, [this] { return m_items.size() < m_capacity || m_closed; });
        m_items.push_back(std::move(item));
        m_ready.notify_one();
    }
    // The next item; nothing once the queue is closed and empty.
    std::optional<T> take()
    {
        std::unique_lock<std::mutex> locked(m_mutex);
        m_ready.wait(locked, [this] { return !m_items.empty() || m_closed; });
        if (m_items.empty())
            return std::nullopt;
        T item = std::move(m_items.front());
        m_items.pop_front();
        m_room.notify_one();
        return item;
    }
    // Everything waiting now, after at most a moment.
    std::deque<T> drain()
    {
        std::unique_lock<std::mutex> locked(m_mutex);
        m_ready.wait_for(locked, std::chrono::milliseconds(WaitMs), [this] { return !m_items.empty() || m_closed; });
        std::deque<T> all;
        all.swap(m_items);
        m_room.notify_all();
        return all;
    }
    void close()
    {
        const std::lock_guard<std::mutex> locked(m_mutex);
        m_closed = true;
        m_ready.notify_all();
        m_room.notify_all();
    }

private:
    size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_ready, m_room;
    std::deque<T> m_items;
    bool m_closed = false;
};

struct Fetched {
    MailOrigin origin;
    qint64 size = 0;
    QByteArray bytes;
    bool tooLarge = false;
};

} // namespace

MessageRows ReadMessage(const MailOrigin& base, const QByteArray& raw, const IntakeOptions& reading)
{
    MessageRows message;
    message.origin = base;
    const ParsedMail parsed = ParseMail(raw);
    MailOrigin& origin = message.origin;
    origin.messageId = parsed.messageId;
    origin.from = parsed.from();
    origin.replyTo = parsed.replyTo;
    origin.subject = parsed.subject;
    origin.date = parsed.date.isValid() ? parsed.date.toOffsetFromUtc(parsed.date.offsetFromUtc()).toString(Qt::ISODate)
                                        : QString();
    if (!parsed.ok || parsed.attachments.isEmpty()) {
        message.rows << MessageRefused(origin, raw, raw.size(), parsed.ok ? NoPackageInMailText : parsed.problem);
        return message;
    }
    QSet<QString> names;
    for (int k = 0; k < parsed.attachments.size(); ++k) {
        const MailAttachment& attachment = parsed.attachments.at(k);
        // Two attachments of one name are two files.
        QString shown = MessagePath(origin) + "/" + attachment.name;
        if (names.contains(shown))
            shown += QStringLiteral("#%1").arg(k + 1);
        names.insert(shown);
        const IntakeFile::Kind kind = attachment.name.toLower().endsWith(QLatin1String(".qvs")) ? IntakeFile::Package
                                                                                               : IntakeFile::Document;
        IntakeRow row = ReadIntakeBytes(MessageFile(shown, kind, attachment.bytes.size()), attachment.bytes, reading);
        row.mail = origin;
        row.mail.attachment = attachment.name;
        message.rows << row;
    }
    return message;
}

MailIntake::MailIntake(MailIntakeSettings settings)
    : m_settings(std::move(settings)), m_session(m_settings.account, m_settings.markSeen)
{
}

ImapOutcome MailIntake::open()
{
    return m_session.open();
}

MailIntake::Ran MailIntake::run(const QSet<qint64>& known, const IntakeOptions& reading,
                                const std::function<void(MessageRows)>& deliver, const std::atomic<bool>& stop)
{
    Ran ran;
    const ImapSession::Listing listing = m_session.messages(m_settings.since);
    if (!listing.outcome.ok()) {
        ran.outcome = listing.outcome;
        return ran;
    }
    QList<ImapMessage> todo;
    for (const ImapMessage& m : listing.messages)
        if (!known.contains(m.uid))
            todo << m;
    ran.messages = int(todo.size());

    Queue<Fetched> fetched(WaitingMessages);
    Queue<MessageRows> done(SIZE_MAX);
    ImapOutcome fetchOutcome;
    std::thread fetcher([&] {
        for (const ImapMessage& m : std::as_const(todo)) {
            if (stop)
                break;
            Fetched item;
            item.origin.mailbox = mailbox();
            item.origin.uidValidity = m_session.uidValidity();
            item.origin.uid = m.uid;
            item.size = m.size;
            const ImapSession::Fetched got = m_session.fetch(m, m_settings.maxMessageBytes, [&stop] { return bool(stop); });
            if (got.outcome.failure == ImapOutcome::TooLarge) {
                item.tooLarge = true;
            } else if (!got.outcome.ok()) {
                // A fetch that failed is no verdict on the message: the next run fetches it.
                if (got.outcome.failure != ImapOutcome::Stopped)
                    fetchOutcome = got.outcome;
                break;
            } else {
                item.bytes = got.bytes;
            }
            fetched.put(std::move(item));
        }
        fetched.close();
    });
    std::atomic<int> working{qMax(1, QThread::idealThreadCount())};
    std::vector<std::thread> readers;
    for (int t = working; t > 0; --t)
        readers.emplace_back([&] {
            while (std::optional<Fetched> item = fetched.take()) {
                if (item->tooLarge)
                    done.put({item->origin, {MessageRefused(item->origin, {}, item->size,
                                                            QStringLiteral("邮件过大（%1 MB，超过 %2 MB），没有读取")
                                                                .arg(item->size >> 20)
                                                                .arg(m_settings.maxMessageBytes >> 20))}});
                else
                    done.put(ReadMessage(item->origin, item->bytes, reading));
            }
            if (--working == 0)
                done.close();
        });
    for (;;) {
        std::deque<MessageRows> ready = done.drain();
        if (ready.empty() && working == 0)
            break;
        for (MessageRows& message : ready)
            deliver(std::move(message));
    }
    fetcher.join();
    for (std::thread& reader : readers)
        reader.join();
    for (MessageRows& message : done.drain())
        deliver(std::move(message));
    ran.outcome = fetchOutcome;
    return ran;
}
