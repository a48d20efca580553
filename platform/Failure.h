#pragma once
// A failure that must end the user's action; carries the text the user sees.
#include <QByteArray>
#include <QString>
#include <exception>

class Failure : public std::exception {
public:
    explicit Failure(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};
