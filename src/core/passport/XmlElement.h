#pragma once

#include <QAnyStringView>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// One element of a passport document, as the builder makes it and the reader finds it: attributes
// in the order they are written, then text or child elements.
struct XmlElement
{
    QString name;
    QList<std::pair<QString, QString>> attributes;
    QString text;
    QList<XmlElement> children;
    // The reader keeps only so much text: whether what it did not keep held more than blanks.
    bool droppedNonBlank = false;

    XmlElement& add(const QString& childName);
    XmlElement& set(const QString& attribute, const QString& value);

    std::optional<QString> attribute(QAnyStringView attributeName) const;
    // Whether the whole text, kept or not, is XML blanks.
    bool isBlank() const;

    bool operator==(const XmlElement&) const = default;
};
