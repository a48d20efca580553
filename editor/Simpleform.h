#pragma once
// TFrmSimpleform: the short-form screen, where the applicant fills in the structured part of
// the application. It mirrors the document's tables, loads them on its first showing for a
// document, and stores them on every save and every normal close.
#include "CarryOver.h"
#include "OnFirstUse.h"
#include "SimpleformRules.h"
#include "ApplicationDocument.h"
#include "ShortForm.h"
#include "FormHelpers.h"

#include <QDialog>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <functional>

class FormPanel;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QScrollArea;
class QStatusBar;
class QToolButton;
class QTimer;

class TFrmSimpleform : public QDialog, public RuledForm {
    Q_OBJECT
public:
    explicit TFrmSimpleform(QWidget* parent = nullptr);
    ~TFrmSimpleform() override;

    // The opening sequence, then the modal loop. A document that cannot be loaded gives
    // ModalCancel without the screen appearing.
    int exec() override;
    // The opening sequence, then the screen on top of whatever is open, returning at once.
    void ShowWithoutWaiting();

    // FieldAccess: the bound controls by name, letter case ignored.
    bool has(const QString& name) const override;
    QString text(const QString& name) const override;
    void setText(const QString& name, const QString& text) override;
    void focus(const QString& name) override;
    void closeWithTag(int tag) override;
    int tagOf(const QString& name) const override;
    void setTag(const QString& name, int tag) override;

    QWidget* control(const QString& name) const override;
    QWidget* formWidget() override { return this; }
    template <class T>
    T* control(const QString& name) const { return qobject_cast<T*>(control(name)); }

    void Layout();
    // Makes the field being edited run its exit rule; true when that rule kept the focus.
    bool FocusBlocked();
    void sbSaveClick();
    void SbCloseClick();
    void SpeedButton16Click();
    void SpeedButton1Click();
    void sbPreviewClick();
    // The list of every problem beside the form, brought up to date.
    void ShowProblems();
    void RefreshProblems();

    // The application-wide wheel hook, installed while the screen is shown: a wheel turn over the
    // screen scrolls ScrollBox1 by the desktop's lines and changes no field.
    void InstallWheelHook() override;
    void RemoveWheelHook() override;
    bool WheelHookInstalled() const;

    void SetExitRule(const QString& name, ExitRule rule) override;
    void SetKeyRule(const QString& name, KeyRule rule, const QString& refusal) override;
    // A note in the status bar for a few seconds.
    void Tell(const QString& note);

    int MaxProjectYears = 3;  // the main window's, set at start
    // The application the screen shows; another one is read at the next showing.
    void SetDocument(ApplicationDocument* document);
    ApplicationDocument* Document() const { return m_document; }
    // What a new application made from an earlier one did not take, listed until chosen again;
    // they belong to the next document the screen loads, and go when it loads another.
    void SetCarryOverNotes(const QList<LeftOut>& notes);
    // While typing, the journal is written at most this often (milliseconds); at every exit
    // from a field it is written at once.
    int JournalInterval = 3000;
    void JournalNow();

    QWidget* Panel_toolbar;
    QWidget* PanelCmds;
    QToolButton* SpeedButton16;  // 帮助文档
    QToolButton* sbSave;         // 保存数据
    QToolButton* SpeedButton1;   // 内容检查
    QToolButton* sbPreview;      // 预览申请书
    QToolButton* SbClose;        // 返回
    QScrollArea* ScrollBox1;
    QWidget* ProblemPanel;
    QLabel* ProblemHeading;
    QListWidget* ProblemList;  // "待完善事项"
    QStatusBar* StatusBar;
    QLabel* StatusPanel;
    QLabel* StatusNote;  // what a field takes, how much of it is used, what was left out
    QLabel* SaveState;   // "已保存" and the time of the last store
    BannerSet Banner;
    QList<FormPanel*> Panels;  // top to bottom

signals:
    // A normal close: start year + project-category code + applicant name, and the identity number.
    void HandOver(const QString& namingBase, const QString& applicantId);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Escape does not leave the screen

private:
    void CreateControls();
    bool Open();
    void FillEndYears();
    void CollectEditValues();
    // True when the screen's values are in the document; otherwise it has said why.
    bool Store();
    StoreResult OfferNewDocument(const Outcome& why);
    bool CloseAllowed();
    void RunExitRule(QWidget* control);
    void WatchEdits(QWidget* control);
    void JournalSoon();
    void ShowUsage(QWidget* control);
    void OfferJournal();
    void GoToProblem(QListWidgetItem* item);

    QHash<QString, QWidget*> m_controls;  // by lower-case name
    QHash<QWidget*, ExitRule> m_exitRules;
    QHash<QWidget*, KeyRule> m_keyRules;
    QHash<QWidget*, QString> m_keyRefusals;
    QTimer* m_noteTimer = nullptr;
    QObject* m_wheelHook = nullptr;
    bool m_hookInstalled = false;
    bool m_refocusing = false;
    bool m_filtering = false;
    int m_closeResult = 0;
    QTimer* m_journalTimer = nullptr;
    QMap<QString, QString> m_journaled;  // what the journal on disk holds
    QList<LeftOut> m_carryOverNotes;
    ApplicationDocument* m_document = nullptr;
    bool m_notesLoaded = false;  // the notes' document has been loaded
};

extern OnFirstUse<TFrmSimpleform> FrmSimpleform;

// The long notice shown when the screen cannot be opened.
QString OpeningFailedText();
// Asked after a close could not store the short form; Cancel keeps the screen open.
inline const QString StoreFailedQuestion =
    QStringLiteral("简表内容未能保存到申请书。仍要返回吗？\r\n（填写的内容仍保留在简表中，下次打开简表时可以再保存。）");
