#pragma once
// The short-form screen over a real document in a private home, with the lookup dialogs it
// uses, driven the way a person would: shown modally, typed into, closed.
#include "CodeLookup.h"
#include "Edition.h"
#include "DisciplineLookup.h"
#include "DocumentLock.h"
#include "FieldCatalogue.h"
#include "MemberOrder.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Resources.h"
#include "Session.h"
#include "Simpleform.h"
#include "TestSupport.h"
#include "OpenApplication.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Counts the documents the session opens, so a test can tell whether the screen read the file.
class CountingApplication : public WordApplication {
public:
    explicit CountingApplication(int* opens) : m_opens(opens) {}
    void SetCheckSpellingAsYouType(bool on) override { m_app.SetCheckSpellingAsYouType(on); }
    void SetCheckGrammarAsYouType(bool on) override { m_app.SetCheckGrammarAsYouType(on); }
    void SetVisible(bool on) override { m_app.SetVisible(on); }
    int DocumentsCount() override { return m_app.DocumentsCount(); }
    std::shared_ptr<WordDocument> Open(const QString& path, bool readOnly, bool visible) override
    {
        ++*m_opens;
        return m_app.Open(path, readOnly, visible);
    }
    void Quit(bool saveChanges) override { m_app.Quit(saveChanges); }

private:
    DocumentEngine m_app;
    int* m_opens;
};

// The catalogue record of an own field by name.
inline int Record(const QString& name)
{
    for (int i = 0; i <= FieldHigh(); ++i)
        if (FieldData().at(i).Name == name && FieldData().at(i).Source == -1)
            return i;
    return -1;
}

// Types each character as a key press with that text, as a keyboard layout would deliver it;
// QTest::keyClicks knows ASCII only.
inline void Type(QWidget* control, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character beyond the first plane arrives whole, as its two halves.
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, width);
        i += width - 1;
        const int key = c.at(0).unicode() < 128 ? int(c.at(0).toUpper().unicode()) : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, c);
        QApplication::sendEvent(control, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, c);
        QApplication::sendEvent(control, &release);
    }
}

struct ScreenTest : ::testing::Test {
    TestHome home;
    int opens = 0;
    QString path = home.path() + "/a.qvx";
    OpenApplication app{path, [this] { return std::make_unique<CountingApplication>(&opens); }};
    Twordqen& session = app.session;
    Tlockqen& lock = app.lock;
    ApplicationDocument& document = app.document;
    TFrmSimpleform* screen = nullptr;

    ScreenTest()
    {
        YearText = "2013";
        createxms(path);
        frmcode = new Tfrmcode;
        frmxkdm_tree = new Tfrmxkdm_tree;
        frmmemberorder = new Tfrmmemberorder;
        screen = FrmSimpleform = new TFrmSimpleform;
        screen->SetDocument(&document);
        screen->setWindowState(Qt::WindowNoState);
        screen->resize(1280, 800);
    }
    ~ScreenTest() override
    {
        delete screen;
        FrmSimpleform = nullptr;
        delete frmmemberorder;
        delete frmxkdm_tree;
        delete frmcode;
        frmmemberorder = nullptr;
        frmxkdm_tree = nullptr;
        frmcode = nullptr;
    }

    // Shows the screen modally, runs the steps while it is open, then closes it as the close
    // box would unless a step did; answers the modal result.
    int Show(const std::function<void()>& whileOpen = {})
    {
        QTimer::singleShot(0, screen, [this, whileOpen] {
            QApplication::setActiveWindow(screen);
            if (whileOpen)
                whileOpen();
            if (screen->isVisible())
                screen->close();
            if (screen->isVisible()) {
                ADD_FAILURE() << "the screen refused to close";
                screen->done(0);
            }
        });
        return screen->exec();
    }

    template <class T = QWidget>
    T* Control(const QString& name) { return screen->control<T>(name); }

    // A cell of the document as the engine reads it back, without the end-of-cell mark.
    QString Cell(int table, int cell, const QString& file = {})
    {
        DocumentEngine app;
        return app.Open(file.isEmpty() ? path : file, false, true)->CellText(table, cell).chopped(2);
    }
    void SetCell(const QString& file, int table, int cell, const QString& text)
    {
        DocumentEngine app;
        auto doc = app.Open(file, false, true);
        doc->Unprotect(ProtectPassword);
        doc->SetCellText(table, cell, text);
        doc->Protect(2, false, ProtectPassword);
        doc->Close(true);
    }
};
