#include "windows/WholeCharacters.h"

#include <QLineEdit>
#include <QValidator>

namespace {

class WholeCharacterValidator final : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override
    {
        for (qsizetype i = 0; i < input.size();) {
            const QChar unit = input.at(i);
            if (unit.isHighSurrogate() && i + 1 < input.size() && input.at(i + 1).isLowSurrogate()) {
                i += 2;
            } else if (unit.isSurrogate()) {
                input.remove(i, 1);
                if (i < position)
                    --position;
            } else {
                ++i;
            }
        }
        return Acceptable;
    }
};

} // namespace

void keepCharactersWhole(QWidget& window)
{
    for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
        if (!edit->validator())
            edit->setValidator(new WholeCharacterValidator(edit));
    }
}
