#pragma once
// The open application as the main window holds it: a document session, a document lock and
// the application document over them, for a test's own file.
#include "ApplicationDocument.h"
#include "DocumentLock.h"
#include "WordSession.h"

struct OpenApplication {
    explicit OpenApplication(const QString& path, Twordqen::Factory factory = CreateWordApplication)
        : session(std::move(factory)), document(session, lock, path)
    {
    }
    Twordqen session;
    Tlockqen lock;
    ApplicationDocument document;
};
