#include "core/passport/XmlElement.h"

#include "core/passport/PassportFormat.h"

#include <algorithm>

XmlElement& XmlElement::add(const QString& childName)
{
    children.append(XmlElement{childName, {}, {}, {}});
    return children.last();
}

XmlElement& XmlElement::set(const QString& attribute, const QString& value)
{
    attributes.append({attribute, value});
    return *this;
}

std::optional<QString> XmlElement::attribute(QAnyStringView attributeName) const
{
    for (const auto& [key, value] : attributes) {
        if (QAnyStringView::equal(key, attributeName))
            return value;
    }
    return std::nullopt;
}

bool XmlElement::isBlank() const
{
    return !droppedNonBlank && std::all_of(text.begin(), text.end(), isXmlBlank);
}
