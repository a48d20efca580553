#pragma once
// Twordqen: the program's document session. It opens an application document, records and
// lifts its form protection, and on saving puts the protection back. It tells the user nothing:
// each operation answers what happened, and the caller says it.
#include "WordHost.h"

#include <QStringList>
#include <functional>

class Twordqen {
public:
    using Factory = std::function<std::unique_ptr<WordApplication>()>;
    explicit Twordqen(Factory factory = CreateWordApplication);
    ~Twordqen();

    // Starts the engine; false (WordStarted false) when it cannot be started.
    bool StartWord();
    bool EnsureWordAlive();
    bool DocumentAlive();
    // Opens the document at path and lifts the edition's protection: None, or why not (the
    // engine's cause; ForeignProtection when another password guards it). On a failure nothing
    // stays open.
    Outcome OpenDocument(const QString& path);
    Outcome SaveDocumentCopy(const QString& source, const QString& target);
    // Closes the open document, saving it with its protection restored when save is true: None,
    // NotDurable when it is saved but its folder could not be flushed, or why the save failed
    // (the document is then closed unsaved).
    Outcome CloseDocument(bool save);
    // Ends the engine; true when a document was still open in it.
    bool QuitWord();

    std::unique_ptr<WordApplication> WordApp;
    std::shared_ptr<WordDocument> Doc;
    QStringList ProtectionList;  // "1"/"0" per section of the document opened last
    bool WordStarted = false;

private:
    void Recreate();
    Outcome OpenWithRetry(const QString& path);
    Factory m_factory;
};

// Lifts the form protection of a document opened for reading: true when it is lifted with the
// edition's password or was not set; false when another password guards it (no application
// of ours).
bool UnprotectForReading(WordDocument& doc);

// The failure a routine caught, as an outcome: the engine's own cause, or the exception's text.
Outcome CaughtOutcome(const std::exception& error);
