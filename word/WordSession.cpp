#include "WordSession.h"

#include "Edition.h"
#include "Failure.h"

Twordqen::Twordqen(Factory factory) : m_factory(std::move(factory))
{
    StartWord();
}

Twordqen::~Twordqen()
{
    ProtectionList.clear();
    QuitWord();
}

bool Twordqen::StartWord()
{
    try {
        WordApp = m_factory();
        WordStarted = WordApp != nullptr;
        if (WordStarted) {
            WordApp->SetCheckSpellingAsYouType(false);
            WordApp->SetCheckGrammarAsYouType(false);
            WordApp->SetVisible(false);
        }
    } catch (const std::exception&) {
        WordStarted = false;
    }
    return WordStarted;
}

void Twordqen::Recreate()
{
    ProtectionList = QStringList();
    StartWord();
}

bool Twordqen::EnsureWordAlive()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            if (WordApp) {
                WordApp->DocumentsCount();
                return true;
            }
        } catch (const std::exception&) {
        }
        if (attempt == 0)
            Recreate();
    }
    return false;
}

bool Twordqen::DocumentAlive()
{
    if (!Doc)
        return false;
    try {
        Doc->SectionsCount();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

Outcome CaughtOutcome(const std::exception& error)
{
    if (const auto* failure = dynamic_cast<const Failure*>(&error))
        return failure->outcome();
    return Outcome::other(QString::fromLocal8Bit(error.what()));
}

Outcome Twordqen::OpenWithRetry(const QString& path)
{
    Doc.reset();
    try {
        Doc = WordApp->Open(path, false, true);
        return {};
    } catch (const Failure& failure) {
        // The file is what it is: opening it again would say the same.
        return failure.outcome();
    } catch (const std::exception&) {
    }
    Recreate();
    try {
        if (!WordApp)
            return Outcome::other(QStringLiteral("无法启动文档引擎"));
        Doc = WordApp->Open(path, false, true);
        return {};
    } catch (const std::exception& error) {
        return CaughtOutcome(error);
    }
}

Outcome Twordqen::OpenDocument(const QString& path)
{
    // Reading needs nobody's consent: the engine reads the file itself, whoever else has it open.
    // Writers ask the document lock before they write.
    if (!EnsureWordAlive())
        return Outcome::other(QStringLiteral("无法启动文档引擎"));
    if (const Outcome opened = OpenWithRetry(path); !opened.ok())
        return opened;
    try {
        ProtectionList.clear();
        for (int i = 1; i <= Doc->SectionsCount(); ++i)
            ProtectionList << (Doc->ProtectedForForms(i) ? "1" : "0");
        if (UnprotectForReading(*Doc))
            return {};
        Doc->Close(false);
        return Outcome::failed(Cause::ForeignProtection, path);
    } catch (const std::exception& error) {
        if (DocumentAlive())
            Doc->Close(false);
        return CaughtOutcome(error);
    }
}

bool UnprotectForReading(WordDocument& doc)
{
    return doc.Unprotect(ProtectPassword) != Unprotection::WrongPassword;
}

Outcome Twordqen::SaveDocumentCopy(const QString& source, const QString& target)
{
    if (!EnsureWordAlive())
        return Outcome::other(QStringLiteral("无法启动文档引擎"));
    if (const Outcome opened = OpenWithRetry(source); !opened.ok())
        return opened;
    try {
        const Outcome saved = Doc->SaveAs(target);
        Doc->Close(false);
        return saved;
    } catch (const std::exception& error) {
        if (DocumentAlive())
            Doc->Close(false);
        return CaughtOutcome(error);
    }
}

Outcome Twordqen::CloseDocument(bool save)
{
    if (!DocumentAlive())
        return Outcome::other(QStringLiteral("文档已关闭"));
    try {
        if (!save)
            return Doc->Close(false);
        for (int i = 1; i <= ProtectionList.size(); ++i)
            Doc->SetProtectedForForms(i, ProtectionList.at(i - 1) == "1");
        Doc->Protect(2, false, ProtectPassword);
        return Doc->Close(true);
    } catch (const std::exception& error) {
        if (DocumentAlive())
            Doc->Close(false);
        return CaughtOutcome(error);
    }
}

bool Twordqen::QuitWord()
{
    if (!WordApp)
        return false;
    bool open = false;
    try {
        open = WordApp->DocumentsCount() > 0;
        WordApp->Quit(false);
    } catch (const std::exception&) {
    }
    return open;
}
