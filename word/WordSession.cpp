#include "WordSession.h"

#include "Edition.h"
#include "Failure.h"
#include "Seams.h"

Twordqen* WordSession = nullptr;
Tlockqen* DocLock = nullptr;

Twordqen::Twordqen(Factory factory) : m_factory(std::move(factory))
{
    StartWord();
}

Twordqen::~Twordqen()
{
    ProtectionList.clear();
    QuitWord();
}

void Twordqen::StartWord()
{
    try {
        WordApp = m_factory();
        if (!WordApp)
            throw Failure(QStringLiteral("no application"));
        WordApp->SetCheckSpellingAsYouType(false);
        WordApp->SetCheckGrammarAsYouType(false);
        WordApp->SetVisible(false);
        WordStarted = true;
    } catch (const std::exception&) {
        ShowNotice(OpenWordFailedText, NoticeCaption);
        WordStarted = false;
    }
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

bool Twordqen::OpenWithRetry(const QString& path)
{
    try {
        Doc = WordApp->Open(path, false, true);
        return true;
    } catch (const std::exception&) {
    }
    Recreate();
    try {
        if (!WordApp)
            return false;
        Doc = WordApp->Open(path, false, true);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool Twordqen::OpenDocument(const QString& path)
{
    WarnOnQuit = true;
    // Reading needs nobody's consent: the engine reads the file itself, whoever else has it open.
    // Writers ask the document lock before they write.
    if (!EnsureWordAlive())
        return false;
    if (!OpenWithRetry(path))
        return false;
    // A failure while reading the sections reaches the caller.
    ProtectionList.clear();
    for (int i = 1; i <= Doc->SectionsCount(); ++i)
        ProtectionList << (Doc->ProtectedForForms(i) ? "1" : "0");
    return UnprotectForReading(*Doc);
}

bool UnprotectForReading(WordDocument& doc)
{
    try {
        doc.Unprotect(ProtectPassword);
        return true;
    } catch (const Failure& failure) {
        return failure.text() == UnprotectNotProtectedText;
    }
}

bool Twordqen::SaveDocumentCopy(const QString& source, const QString& target)
{
    if (!EnsureWordAlive())
        return false;
    if (!OpenWithRetry(source))
        return false;
    try {
        Doc->SaveAs(target);
        Doc->Close(false);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool Twordqen::CloseDocument(bool save)
{
    if (!DocumentAlive())
        return false;
    try {
        if (save) {
            for (int i = 1; i <= ProtectionList.size(); ++i)
                Doc->SetProtectedForForms(i, ProtectionList.at(i - 1) == "1");
            Doc->Protect(2, false, ProtectPassword);
            Doc->Close(true);
        } else {
            Doc->Close(false);
        }
        return true;
    } catch (const Failure& failure) {
        LastFailure = failure.text();
        Doc->Close(false);  // a failure here reaches the caller
        return false;
    } catch (const std::exception&) {
        Doc->Close(false);
        return false;
    }
}

void Twordqen::QuitWord()
{
    if (!EnsureWordAlive())
        return;
    try {
        if (WordApp->DocumentsCount() > 0 && WarnOnQuit)
            ShowNotice(QStringLiteral("请关闭WORD申请书！"), NoticeCaption);
        WordApp->Quit(false);
    } catch (const std::exception&) {
    }
}
