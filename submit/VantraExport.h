#pragma once
// TfrmVantraExport: "申请书提交". Its "开始提交" checks the document, saves the submission copy,
// seals it into a package or takes a plain copy, puts it where the applicant chose, checks it
// there, and lets the applicant test what was handed in.
#include "OnFirstUse.h"
#include "ModalResult.h"
#include "SubmissionValues.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

class ApplicationDocument;

// What the flow needs of the main window.
class SubmitHost {
public:
    virtual ~SubmitHost() = default;
    // The application being handed in.
    virtual ApplicationDocument& WorkingDocument() = 0;
    // "申请书简表" on a document, modal: the working one with its naming rules, or another (the
    // file under test) as it is.
    virtual void ShowShortFormOf(ApplicationDocument& document) = 0;
    virtual void ShowShortFormWithoutWaiting() = 0;  // the working document's screen, returning at once
    virtual void OpenBodyTextOf(const QString& path) = 0;  // "申请书正文" of a file
    virtual void SetAutoNameEnabled(bool on) = 0;
    virtual QString SaveDlg(const QString& title, const QString& folder, const QString& filter,
                            const QString& proposedName) = 0;  // empty: cancelled
};

enum SubmitModeValue { SubmitCopy = 0, SubmitMail = 1 };
enum PackModeValue { PackCompress = 0, PackPlain = 1 };

class TfrmVantraExport : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVantraExport(SubmitHost* host, QWidget* parent = nullptr);

    void Button1Click();

    qint32 SubmitMode = SubmitCopy;
    qint32 PackMode = PackCompress;
    QString MailFilePath;
    SubmissionValues SubmitFieldValues;  // the values read for the last submission

    QLabel* Label1;  // 校验申请书简表内容是否完整
    QLabel* Label2;  // 校验申请书正文内容是否填完
    QLabel* Label3;  // 压缩打包申请书文件
    QLabel* Label4;  // 导出申请书简表信息
    QLabel* Label5;  // 校验申请书打包文件
    QLabel* Labelmm;
    QPushButton* Button1;  // 开始提交
    QPushButton* Button2;  // 返    回
    QPushButton* ButtonPreview;  // 预览申请书

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool PlainCopy(const QString& copy);
    bool Package(const QString& copy);
    // Shows the file under test; true when the applicant confirmed both questions.
    bool ApplicantTest(const QString& test, const QString& successText);
    // The word processor lets go of the file under test.
    void Ending(const QString& test);
    SubmitHost* m_host;
};

extern OnFirstUse<TfrmVantraExport> frmVantraExport;

// The texts the flow shows.
inline const QString TestQuestionText = QStringLiteral("申请书提交结束,建议您测试该提交文件,测试请按〖确定〗按钮.");
inline const QString CopySuccessText = QStringLiteral("恭喜您,申请书提交成功!");
inline const QString PackageSuccessText = QStringLiteral("恭喜您,申请书提交成功,并已加密保护,任何人不可修改!");
