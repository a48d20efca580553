#pragma once
// How the short-form routines reach the screen: a control's text by name (letter case ignored),
// its focus, and closing the screen. The short-form screen implements it over its controls;
// FieldMap holds plain texts for the command-line tool and the tests.
#include <QMap>
#include <QString>
#include <QStringList>

class FieldAccess {
public:
    virtual ~FieldAccess() = default;
    virtual bool has(const QString& name) const = 0;
    virtual QString text(const QString& name) const = 0;  // empty for a name it lacks
    virtual void setText(const QString& name, const QString& text) = 0;
    virtual void focus(const QString&) {}
    // Asks the screen to close once it has finished showing, with the given tag.
    virtual void closeWithTag(int) {}
    // A control's tag (0 optional, 1 required, 2 code carrier) where the form keeps its own;
    // -1 leaves it to the control tables.
    virtual int tagOf(const QString&) const { return -1; }
    virtual void setTag(const QString&, int) {}
};

class FieldMap : public FieldAccess {
public:
    bool has(const QString& name) const override { return m_texts.contains(name.toLower()); }
    QString text(const QString& name) const override { return m_texts.value(name.toLower()); }
    void setText(const QString& name, const QString& text) override { m_texts.insert(name.toLower(), text); }
    void focus(const QString& name) override { focused = name; }
    void closeWithTag(int tag) override { closedWithTag = tag; }
    int tagOf(const QString& name) const override { return m_tags.value(name.toLower(), -1); }
    void setTag(const QString& name, int tag) override { m_tags.insert(name.toLower(), tag); }

    QString focused;
    int closedWithTag = 0;

private:
    QMap<QString, QString> m_texts;
    QMap<QString, int> m_tags;
};
