#pragma once
// A server's password for the intake, never from the command line: a file only its owner may
// read (0600 or stricter), the desktop's secret store, or typed at the terminal without echo.
#include <QString>
#include <optional>

struct PasswordFound {
    std::optional<QString> password;
    QString problem;  // why there is none, for the clerk
};
// file: the --password-file given, or empty; key: the secret store's key; what: "邮箱" or
// "发信服务器 smtp.example.cn", for the prompt and the messages.
PasswordFound FindPassword(const QString& file, const QString& key, const QString& what);
