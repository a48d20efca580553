#pragma once
// Where a WordprocessingML package keeps its parts: the main document is the target of the
// package's officeDocument relationship (word/document.xml for most writers, word/document2.xml
// for others), its settings and styles the targets of the main part's own relationships. A
// part a relationship does not name is looked for where most writers put it.
#include <QString>

class ZipReader;

struct PackageParts {
    QString main;      // "word/document.xml"
    QString mainRels;  // "word/_rels/document.xml.rels"
    QString settings;  // "word/settings.xml"
    QString styles;    // "word/styles.xml"
    // The settings part's name as the main part's relationship names it ("settings.xml").
    QString settingsTarget() const;
};

PackageParts FindParts(const ZipReader& zip);
