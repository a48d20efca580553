#pragma once
// The in-process WordprocessingML engine behind WordHost: opens an OOXML package, edits the
// main document part and the settings part with pugixml, and writes the package back with the
// other parts copied as they were stored.
#include "OoxmlParts.h"
#include "WordHost.h"

#include <QByteArray>
#include <QHash>
#include <QVector>
#include <memory>
#include <pugixml.hpp>

class ZipReader;

class OoxmlDocument : public WordDocument {
public:
    // Throws Failure with a clear message when the file is no readable WordprocessingML package.
    explicit OoxmlDocument(const QString& path);
    // A document held in memory (the embedded blank one, say); it has no file to save to.
    OoxmlDocument(const QByteArray& bytes, const QString& name);
    ~OoxmlDocument() override;

    DocumentFormat Format() const override { return DocumentFormat::Ooxml; }
    int SectionsCount() override;
    bool ProtectedForForms(int section) override;
    void SetProtectedForForms(int section, bool on) override;
    Unprotection Unprotect(const QString& password) override;
    void Protect(int type, bool noReset, const QString& password) override;
    int TablesCount() override;
    int CellsCount(int table) override;
    QString CellText(int table, int cell) override;
    void SetCellText(int table, int cell, const QString& text) override;
    void SetCellWordWrap(int table, int cell, bool on) override;
    void SetCellFitText(int table, int cell, bool on) override;
    int CharactersCount() override;
    int SectionTextLength(int section) override;
    DocumentIdentity Identity() override { return m_identity; }
    Outcome SaveAs(const QString& path) override;
    Outcome Close(bool saveChanges) override;

    bool IsProtected() override;
    bool IsClosed() const override { return m_closed; }

private:
    struct Table {
        pugi::xml_node node;
        QVector<pugi::xml_node> cells;  // counted cells, row by row; found at first use
        bool indexed = false;
    };
    struct RememberedProtection {
        QByteArray passwordDigest;  // of the password that lifted it: the password itself is not kept
        QString hash, salt, spin, sid;
        bool valid = false;
    };

    void load(const QString& shown);
    void ensureOpen() const;
    pugi::xml_node cellNode(int table, int cell);
    pugi::xml_node protectionNode();
    pugi::xml_node settingsRoot(bool create);
    void index();
    // The font size (half-points) of a paragraph's text: the run's own, its style's, the default.
    int fontSize(pugi::xml_node pPr, pugi::xml_node rPr);
    void readStyles();
    const QVector<pugi::xml_node>& cellsOf(int table);

    QString m_path;
    // The file, open while the document is; declared before the reader that reads from it, so
    // that it is closed after it, and closed also when the constructor gives up.
    struct Descriptor {
        int fd = -1;
        ~Descriptor();
        void close();
    } m_file;
    QByteArray m_bytes;                 // the package, for a document held in memory
    std::unique_ptr<ZipReader> m_zip;
    PackageParts m_parts;
    QByteArray m_documentText;          // the main part's text, parsed in place
    pugi::xml_document m_document;
    pugi::xml_document m_settings;
    bool m_hasSettings = false;
    bool m_settingsCreated = false;
    QVector<pugi::xml_node> m_sections;
    QVector<Table> m_tables;
    RememberedProtection m_removed;
    DocumentIdentity m_identity;
    bool m_stylesRead = false;
    QHash<QByteArray, std::pair<int, QByteArray>> m_styles;  // paragraph style: size, base style
    QByteArray m_defaultStyle;
    int m_defaultSize = 20;
    bool m_closed = false;
};
