#pragma once
// A failure that must end the user's action: its outcome, and the explanation the user sees.
#include "Outcome.h"

#include <QByteArray>
#include <QString>
#include <exception>

class Failure : public std::exception {
public:
    explicit Failure(Outcome outcome) : m_outcome(std::move(outcome)), m_text(Explain(m_outcome)), m_utf8(m_text.toUtf8()) {}
    explicit Failure(const QString& text) : Failure(Outcome::other(text)) {}
    const Outcome& outcome() const noexcept { return m_outcome; }
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    Outcome m_outcome;
    QString m_text;
    QByteArray m_utf8;
};
