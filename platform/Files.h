#pragma once
// File routines shared by the windows and the submission flow.
#include <QString>

// The path with its extension (from the last '.' of the file-name part) replaced by '.' + ext.
QString ChangeExtension(const QString& path, const QString& ext);

// Text from the applicant's data made fit for a file name: path separators and control
// characters become "_", so that the name cannot reach another folder.
QString FileNamePart(const QString& text);

// "找不到申请书文件:" and the path: what the applicant is told when the document is gone.
QString MissingDocumentText(const QString& path);

// First of base, base1, base2 … for which folder + DocPrefix + name + ".qvx" does not exist.
QString FreeDocName(const QString& base, const QString& folder);
// DocFolder + DocPrefix + FreeDocName(base, DocFolder) + ".qvx".
QString FreeDocPath(const QString& base);

struct AutoNameTarget {
    QString path;        // where the document goes; empty when its name stays
    QString namingBase;  // the free name chosen, without DocPrefix and extension
};
// The automatic naming's rule, after the short form is stored: the document at currentPath
// moves within its folder to DocPrefix + a free name from namingBase (the applicant's data,
// made fit for a file name). The name stays when there is nothing to name it after, when it
// already holds the applicant's identity number or a '~' (a name the user chose), or when it
// already begins with DocPrefix + the base.
AutoNameTarget AutoNameTargetFor(const QString& currentPath, const QString& namingBase, const QString& applicantId);

// A regular file that may not be written: no write permission at all (which even the
// administrator's programs respect here), or none for this user.
bool IsReadOnlyFile(const QString& path);

bool FolderExists(const QString& path);
// Creates one missing folder level; throws Failure when that fails.
void EnsureFolder(const QString& path);

// Copies through one 8192-byte buffer. A dest naming a folder receives the source's file name.
// Throws Failure("Cannot open file …"), ("Cannot create file …") or a write failure.
void CopyFileChunked(const QString& source, const QString& dest);
// True when no file is there. Otherwise makes the file writable (false when that fails) and
// deletes it.
bool ForceDelete(const QString& path);
// Nothing when the two texts are equal (true); else ForceDelete(dest) and copy. False on error.
bool ReplaceCopy(const QString& source, const QString& dest);

enum class FileTime { Creation = 0, LastWrite = 1, LastAccess = 2 };
struct FileInfoTexts {
    QString size;  // like "0.52兆(M)"
    QString time;  // like "2013年3月9日 07:34"
};
// Both empty when the file is missing.
FileInfoTexts FileInfoText(const QString& path, FileTime which);
