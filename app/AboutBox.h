#pragma once
// TfrmAbout: the About box, which is also the way to the help document.
#include "FormHelpers.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;
class QTimer;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;

    QString BannerText;
    BannerSet Banner;
    QLabel* Image1;           // the picture revealed on activation
    QLabel* LabelOwner;
    QLabel* LabelVersion;
    QLabel* LabelSupport;     // caption and address, both open a mail to support
    QLabel* LabelHomePage;
    QLabel* LabelMail;
    QPushButton* BitBtn1;     // 确定
    QPushButton* BitBtn2;     // 帮助文档
    QPushButton* BtnClearMembers;  // 清除成员记录

    void BitBtn2Click();
    void ClearMembersClick();
    void OpenLink(const QString& link);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void StartReveal();
    void PlaceAfterHomePage();
    QLabel* m_homeUnsolved = nullptr;
    void RevealTick();

    QImage m_picture;
    QImage m_frame;
    int m_step = 0;
    QTimer* m_reveal;
};

// One step of the picture reveal: for j = k, k-2, … > 0, the picture's column w-k+j-1 goes to
// frame column j-1 and its column k-j to frame column w-j. After every even k up to an even
// width the frame equals the picture.
void RevealStep(QImage& frame, const QImage& picture, int k);
