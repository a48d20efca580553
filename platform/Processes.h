#pragma once
// The running system's processes, read from /proc.
#include "Seams.h"

class SystemProcesses : public ProcessControl {
public:
    QList<qint64> holdersOf(const QString& path) override;
    QString findExecutable(const QString& name) override;
    RunOutcome run(const QString& program, const QStringList& arguments, int timeoutMs,
                   const std::function<bool()>& stop) override;
    bool startDetached(const QString& program, const QStringList& arguments, const QString& folder) override;
};
