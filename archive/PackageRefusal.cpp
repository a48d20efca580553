#include "PackageRefusal.h"

Outcome PackageOutcome(const zip::Outcome& outcome, const QString& path)
{
    switch (outcome.cause) {
    case zip::Cause::None: return outcome.ok ? Outcome{} : Outcome::other(outcome.error);
    case zip::Cause::Damaged:
    case zip::Cause::TooLarge: return Outcome::failed(Cause::DamagedPackage, path, 0, outcome.error);
    case zip::Cause::Encrypted: return Outcome::failed(Cause::EncryptedPackage, path, 0, outcome.error);
    case zip::Cause::Unsupported: return Outcome::failed(Cause::UnsupportedPackage, path, 0, outcome.error);
    case zip::Cause::NotArchive: return Outcome::failed(Cause::NotAPackage, path, 0, outcome.error);
    case zip::Cause::Unreadable: return Outcome::failed(Cause::ReadFailed, path, outcome.systemError);
    case zip::Cause::WriteFailed: return Outcome::failed(Cause::WriteFailed, path, outcome.systemError);
    default: return Outcome::other(outcome.error);
    }
}

QString PackageRefusal(const zip::Outcome& outcome)
{
    return Explain(PackageOutcome(outcome, {}));
}
