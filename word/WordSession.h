#pragma once
// Twordqen: the program's one document session. It opens the application document, records
// and lifts its form protection, and on saving puts the protection back.
#include "WordHost.h"

#include <QStringList>
#include <functional>

class Twordqen;
class Tlockqen;

// Said when the document engine cannot be started.
inline const QString OpenWordFailedText = QStringLiteral("打开Word程序出错!");

// The single session and the single document lock, owned by the main window.
extern Twordqen* WordSession;
extern Tlockqen* DocLock;

class Twordqen {
public:
    using Factory = std::function<std::unique_ptr<WordApplication>()>;
    explicit Twordqen(Factory factory = CreateWordApplication);
    ~Twordqen();

    void StartWord();
    bool EnsureWordAlive();
    bool DocumentAlive();
    bool OpenDocument(const QString& path);
    bool SaveDocumentCopy(const QString& source, const QString& target);
    bool CloseDocument(bool save);
    void QuitWord();

    std::unique_ptr<WordApplication> WordApp;
    std::shared_ptr<WordDocument> Doc;
    QStringList ProtectionList;  // "1"/"0" per section of the document opened last
    bool WarnOnQuit = false;
    bool WordStarted = false;
    QString LastFailure;  // the text of the last failure CloseDocument met, for its caller to show

private:
    void Recreate();
    bool OpenWithRetry(const QString& path);
    Factory m_factory;
};

// Lifts the form protection of a document opened for reading: true when it is lifted with the
// edition's password or was not set; false when another password guards it (no application
// of ours).
bool UnprotectForReading(WordDocument& doc);
