#pragma once
// What the windows do around the layers below them: the progress window those layers' steps
// move, the question asked while another program holds a file, and the commands several windows
// share (the preview, the help document, the word processor), each saying what went wrong.
#include "ApplicationDocument.h"
#include "CompletenessCheck.h"

#include <QString>

class Tlockqen;

// The progress window of a kind, shown at the first step and closed when this goes; work that
// never steps (a store with nothing to write) shows nothing.
class ProgressSteps {
public:
    explicit ProgressSteps(unsigned kind);
    ~ProgressSteps();
    ProgressSteps(const ProgressSteps&) = delete;
    ProgressSteps& operator=(const ProgressSteps&) = delete;

    void step();
    // A store's progress and its question about a file another program holds.
    Interaction interaction();
    // The completeness check's two walks, each under its own kind of the progress window.
    CheckStep checkSteps(unsigned checkingKind, unsigned readingKind);

private:
    unsigned m_kind;
    bool m_shown = false;
};

// "NAME文件已打开，请关闭WORD后再按确认铵钮!": true when the user pressed 确定 (look again).
bool AskCloseElsewhere(const QString& path);

// The file free for writing, asking while another program holds it; false when it is gone or
// the user gave up (a missing file is said).
bool FreeForWriting(Tlockqen& lock, const QString& path);

// "预览申请书": renders document into the temporary folder with the progress window and its
// 取消, then opens the PDF in the desktop's viewer; what went wrong is said.
void PreviewApplication(const QString& document);

// The document in the user's word processor, once it is free; what went wrong is said.
bool OpenInWordProcessor(Tlockqen& lock, const QString& path);
// The help document in the word processor (the About box's and the short-form screen's "帮助文档").
void OpenHelpDocument(Tlockqen& lock);
